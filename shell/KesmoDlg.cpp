#include "shell/KesmoDlg.h"

#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/EnTabCtrl.h"
#include "controls/FontStatic.h"
#include "devicelink/Command.h"
#include "devicelink/Delivery.h"
#include "devicelink/PortDiscovery.h"
#include "devicelink/SerialPort.h"
#include "devicelink/UsbPort.h"
#include "filters/BandSets.h"
#include "model/WorkingModel.h"
#include "pages/DEQ_Dlg.h"
#include "pages/Effect_Dlg.h"
#include "pages/MainDlg.h"
#include "pages/Mic_Dlg.h"
#include "pages/MusicDlg.h"
#include "pages/SysDlg.h"
#include "resources/Skin.h"
#include "shell/DialogSeam.h"
#include "shell/Show_Dlg.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <chrono>
#include <thread>

namespace kesmo {

namespace sb = layout::system;

const std::array<KesmoDlg::Volume, 3> KesmoDlg::kVolumes{{
    {3820, 3810, 4000, sb::kMusicVolume, sb::kMusicMaxVolume},
    {3821, 3811, 4002, sb::kMicVolume, sb::kMicMaxVolume},
    {3822, 3812, 4001, sb::kEffectVolume, sb::kEffectMaxVolume},
}};

namespace {

KesmoDlg* g_instance = nullptr;

constexpr int kMusicVolumeCaption = 3800, kMicVolumeCaption = 3801, kEffectVolumeCaption = 3802;
constexpr int kPageModeCombo = 1025, kProgramLabel = 3830, kConnectButton = 3831,
              kLanguageButton = 3832, kTabControl = 1028;
constexpr int kMaxVolume = 84, kMaxEffectVolume = 70;
constexpr std::uint8_t kMuteBit = 0x80, kLevelBits = 0x7F;
constexpr int kSystemTab = 9;
// Below this screen size the window scrolls.
constexpr QSize kDesignScreen{1366, 768};
constexpr QSize kSmallScreenWindow{1290, 740};

QString text(const UiText& t, int languageFlag) {
    return QString::fromUtf8(t.pick(languageFlag));
}

// The client area: bitmap 167 drawn over the whole of it. The top-bar controls sit on it and
// tell it of their changes; the window handles them.
class MainClient final : public MessageTarget {
public:
    explicit MainClient(QWidget* parent) : MessageTarget(parent) {}

protected:
    bool onMessage(Message message, std::intptr_t wParam, std::intptr_t lParam) override {
        return sendMessage(parentWidget(), message, wParam, lParam);
    }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        // The dialog-unit conversion makes the client larger than the bitmap; the brushed
        // metal stretches without a seam.
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(rect(), skinBitmap(bitmap::kMainBackground));
    }
};

// Ports from discovery (named ports, empty names dropped) and the CH9326 bridges.
class DiscoveredPorts final : public PortCandidates {
public:
    std::vector<std::string> serialPorts() override {
        std::vector<std::string> names;
        for (const PortEntry& entry : discoverPorts(false))
            if (!entry.portName.empty())
                names.push_back(entry.portName);
        return names;
    }
    std::vector<std::string> usbPaths() override {
        std::vector<std::string> paths;
        UsbPort::enumerate(paths);
        return paths;
    }
};

QWidget* topBarControl(const ControlTemplate& c, QWidget* parent) {
    switch (c.id) {
    case 3820:
    case 3821:
    case 3822: {
        auto* slider = new BitmapSlider(parent);
        slider->setChannelBitmaps(bitmap::kTopBarChannel, bitmap::kTopBarActiveChannel);
        slider->setThumbBitmaps(bitmap::kTopBarThumb, bitmap::kTopBarThumb);
        slider->setRange(0, c.id == 3822 ? kMaxEffectVolume : kMaxVolume);
        return slider;
    }
    case 3810:
    case 3811:
    case 3812: {
        auto* label = new Edit_Static(parent);
        label->setTextColour(Qt::white);
        label->setRange(0, c.id == 3812 ? kMaxEffectVolume : kMaxVolume);
        return label;
    }
    case 4000:
    case 4001:
    case 4002: {
        auto* mute = new BitButton(parent);
        mute->setBitmaps(bitmap::kMuteOff, bitmap::kMuteOff, bitmap::kMuteOff, bitmap::kMuteOn,
                         bitmap::kMuteOn, bitmap::kMuteOn);
        return mute;
    }
    case kMusicVolumeCaption:
    case kMicVolumeCaption:
    case kEffectVolumeCaption:
    case kProgramLabel: {
        auto* label = new FontStatic(parent);
        label->setTextColour(Qt::white);
        label->setFontHeight(12);
        return label;
    }
    case kConnectButton:
    case kLanguageButton: {
        auto* button = new BitButton(parent);
        button->setBitmaps(bitmap::kTopBarButton, bitmap::kTopBarButton, bitmap::kTopBarButton,
                           bitmap::kTopBarButton, bitmap::kTopBarButton, bitmap::kTopBarButton);
        button->setTextColours({Qt::white, Qt::white, Qt::white, Qt::white, Qt::white, Qt::white});
        return button;
    }
    case kTabControl: {
        auto* tabs = new EnTabCtrl(parent);
        tabs->setBackgroundColour(Qt::white);
        return tabs;
    }
    default:
        return nullptr;
    }
}

} // namespace

KesmoDlg::KesmoDlg(const KesmoSetup& setup)
    : MessageTarget(nullptr), m_setup(setup), m_client(new MainClient(this)),
      m_built(buildDialog(dialogTemplate(102), m_client, topBarControl)) {
    g_instance = this;
    setWindowIcon(programIcon());
    setWindowTitle(m_client->windowTitle());
    setFocusPolicy(Qt::StrongFocus);
    resize(m_client->size());
    setFixedSize(m_client->size());

    ParamStore& model = paramStore();
    if (auto* bound = dynamic_cast<BandSets*>(bandSetBinder(model))) {
        m_bands = bound;
    } else {
        m_ownBands = std::make_unique<BandSets>(model);
        m_bands = m_ownBands.get();
    }

    // Built in the order the device link needs them: transports, Command, candidates.
    m_command = std::make_unique<Command>(model, linkState());
    Clock& clock = setup.clock != nullptr ? *setup.clock : steadyClock();
    m_serialPort = std::make_unique<SerialPort>(*m_command, clock, this);
    m_usbPort = std::make_unique<UsbPort>(*m_command, clock, this);
    m_serialLink = std::make_unique<SerialLinkPort<SerialPort>>(*m_serialPort);
    m_usbLink = std::make_unique<UsbLinkPort<UsbPort>>(*m_usbPort);
    PortCandidates* candidates = setup.candidates;
    if (candidates == nullptr) {
        m_ownCandidates = std::make_unique<DiscoveredPorts>();
        candidates = m_ownCandidates.get();
    }
    m_connection = std::make_unique<ConnectionControl>(*this, *m_command, *candidates,
                                                       *m_serialLink, m_usbLink.get());
    m_sink = std::make_unique<PostingSink>(this);
    setMessageSink(m_sink.get());

    const std::string locale =
        setup.systemLocale.empty() ? QLocale::system().name().toStdString() : setup.systemLocale;
    const LanguageChoice language = chooseLanguage(setup.languageMode, locale);
    m_languageFlag = language.languageFlag;
    m_languageButtonVisible = language.buttonVisible;

    buildTopBar();
    buildPages();
    m_tabs->setCurrentIndex(8);
    switchPage(kSystemTab);
    m_tabs->setCurrentIndex(kSystemTab);
    applyLanguage();

    m_progress = new Show_Dlg(this, linkState(), [this] { return m_languageFlag; });
    postMessage(this, Message::StartConnect);

    const QSize screen = setup.screenSize.value_or(QGuiApplication::primaryScreen() != nullptr
                                                       ? QGuiApplication::primaryScreen()->size()
                                                       : kDesignScreen);
    if (screen.width() < kDesignScreen.width() || screen.height() < kDesignScreen.height())
        setUpSmallScreen(screen);
}

KesmoDlg::~KesmoDlg() {
    closeLink();
    // The pages refer to this window and its band sets; they go first.
    for (PageDlg*& p : m_pages) {
        delete p;
        p = nullptr;
    }
    m_outputPage = nullptr;
    m_systemPage = nullptr;
    setMessageSink(nullptr);
    if (g_instance == this)
        g_instance = nullptr;
}

KesmoDlg* KesmoDlg::instance() {
    return g_instance;
}

void KesmoDlg::closeLink() {
    m_serialPort->close();
    m_usbPort->close();
}

ParamStore& KesmoDlg::store() {
    return m_command->store();
}

void KesmoDlg::buildTopBar() {
    for (const Volume& v : kVolumes) {
        if (auto* mute = control<BitButton>(v.mute))
            connect(mute, &QAbstractButton::clicked, this, [this, &v] { muteClicked(v); });
    }
    m_pageMode = control<QComboBox>(kPageModeCombo);
    connect(m_pageMode, &QComboBox::activated, this, &KesmoDlg::pageModeChanged);
    connect(control<BitButton>(kConnectButton), &QAbstractButton::clicked, this,
            &KesmoDlg::connectClicked);
    auto* language = control<BitButton>(kLanguageButton);
    connect(language, &QAbstractButton::clicked, this, &KesmoDlg::languageClicked);
    language->setVisible(m_languageButtonVisible);
    m_tabs = control<EnTabCtrl>(kTabControl);
    for (const UiText& tab : kTabTexts)
        m_tabs->addTab(text(tab, m_languageFlag));
    connect(m_tabs, &BaseTabCtrl::selectionChanged, this, &KesmoDlg::switchPage);
}

void KesmoDlg::buildPages() {
    m_pages[0] = new MusicDlg(*this, m_client);
    m_pages[1] = new DEQ_Dlg(*this, m_client);
    m_pages[2] = new Mic_Dlg(*this, m_client);
    m_pages[3] = new Effect_Dlg(*this, m_client);
    m_outputPage = new MainDlg(*this, m_client);
    m_pages[4] = m_outputPage;
    m_systemPage = new SysDlg(*this, m_client);
    m_pages[5] = m_systemPage;
    const QRect area = m_tabs->geometry().adjusted(1, 21, -1, -1);
    for (PageDlg* page : m_pages) {
        page->setGeometry(area);
        page->raise();
        page->hide();
    }
}

PageDlg* KesmoDlg::page(int tab) const {
    if (tab < 0 || tab > kSystemTab)
        return nullptr;
    if (tab <= 3)
        return m_pages[static_cast<std::size_t>(tab)];
    return tab == kSystemTab ? m_pages[5] : m_pages[4];
}

bool KesmoDlg::languageButtonShown() const {
    return !control(kLanguageButton)->isHidden();
}

void KesmoDlg::switchPage(int tab) {
    if (tab == m_currentPage || page(tab) == nullptr)
        return;
    m_currentPage = tab;
    m_tabs->setCurrentIndex(tab);
    m_command->setSystemPageCurrent(tab == kSystemTab);
    PageDlg* shown = page(tab);
    for (PageDlg* p : m_pages)
        if (p != shown)
            p->hide();
    shown->show();
    if (shown == m_outputPage)
        m_outputPage->showGroup(tab);
    refreshAll();
}

void KesmoDlg::refreshAll() {
    if (PageDlg* shown = page(m_currentPage)) {
        shown->show();
        shown->refresh();
    }
    refreshTopBar();
    {
        const QSignalBlocker quiet(m_pageMode);
        m_pageMode->setCurrentIndex(m_uiMode);
    }
    for (PageDlg* p : m_pages)
        p->applyUiMode(m_uiMode);
}

void KesmoDlg::refreshTopBar() {
    const SystemBlock& system = store().workingSystem;
    for (const Volume& v : kVolumes) {
        const std::uint8_t byte = system.byte(v.level);
        control<BitmapSlider>(v.slider)->setPos(byte & kLevelBits);
        control<Edit_Static>(v.label)->setValue(byte & kLevelBits);
        control<BitButton>(v.mute)->setDown((byte & kMuteBit) != 0);
    }
}

void KesmoDlg::volumeMoved(const Volume& v, int position) {
    SystemBlock& system = store().workingSystem;
    const int maximum = system.byte(v.maximum);
    auto* slider = control<BitmapSlider>(v.slider);
    if (position > maximum) {
        position = maximum;
        slider->setPos(position);
    }
    control<Edit_Static>(v.label)->setValue(position);
    // The whole byte: a moved slider also unmutes.
    system.setByte(v.level, static_cast<std::uint8_t>(position));
    control<BitButton>(v.mute)->setDown(false);
}

void KesmoDlg::muteClicked(const Volume& v) {
    auto* mute = control<BitButton>(v.mute);
    const bool muted = !mute->down();
    mute->setDown(muted);
    SystemBlock& system = store().workingSystem;
    const std::uint8_t level = system.byte(v.level) & kLevelBits;
    system.setByte(v.level, static_cast<std::uint8_t>(level | (muted ? kMuteBit : 0)));
}

void KesmoDlg::maximumLowered(int channel) {
    if (channel < 0 || channel >= static_cast<int>(kVolumes.size()))
        return;
    const Volume& v = kVolumes[static_cast<std::size_t>(channel)];
    SystemBlock& system = store().workingSystem;
    const int maximum = system.byte(v.maximum);
    if ((system.byte(v.level) & kLevelBits) <= maximum)
        return;
    system.setByte(v.level, static_cast<std::uint8_t>(maximum));
    control<BitmapSlider>(v.slider)->setPos(maximum);
    control<Edit_Static>(v.label)->setValue(maximum);
    control<BitButton>(v.mute)->setDown(false);
}

void KesmoDlg::pageModeChanged(int index) {
    m_uiMode = index;
    for (PageDlg* p : m_pages)
        p->applyUiMode(m_uiMode);
}

void KesmoDlg::languageClicked() {
    m_languageFlag = m_languageFlag != 0 ? 0 : 1;
    applyLanguage();
}

void KesmoDlg::applyLanguage() {
    for (int i = 0; i < kTabCount; ++i)
        m_tabs->setTabText(i, text(kTabTexts[static_cast<std::size_t>(i)], m_languageFlag));
    control<FontStatic>(kMusicVolumeCaption)->setText(text(kMusicVolumeText, m_languageFlag));
    control<FontStatic>(kMicVolumeCaption)->setText(text(kMicVolumeText, m_languageFlag));
    control<FontStatic>(kEffectVolumeCaption)->setText(text(kEffectVolumeText, m_languageFlag));
    control<BitButton>(kLanguageButton)->setText(text(kLanguageButtonText, m_languageFlag));
    setWindowTitle(text(kWindowCaption, m_languageFlag));
    {
        const QSignalBlocker quiet(m_pageMode);
        m_pageMode->clear();
        for (const UiText& item : kPageModeTexts)
            m_pageMode->addItem(text(item, m_languageFlag));
        m_pageMode->setCurrentIndex(m_uiMode);
    }
    showProgram(false);
    for (PageDlg* p : m_pages)
        p->refreshTexts();
    update();
}

void KesmoDlg::showProgram(bool updateLabel) {
    const bool connected = linkState().connected != 0;
    auto* button = control<BitButton>(kConnectButton);
    auto* label = control<FontStatic>(kProgramLabel);
    button->setText(text(connected ? kDisconnectText : kConnectText, m_languageFlag));
    if (!updateLabel)
        button->setDown(connected);
    if (!connected) {
        label->setText(text(kOffLineText, m_languageFlag));
        return;
    }
    if (!updateLabel)
        return;
    const ModeImage& image = store().working;
    std::string name;
    for (std::size_t i = 0; i < layout::image::kNameSize; ++i) {
        const std::uint8_t c = image.byte(layout::image::kName + i);
        if (c == 0)
            break;
        name.push_back(static_cast<char>(c));
    }
    const int number = store().workingSystem.byte(sb::kCurrentMode);
    // Names are single-byte text on the device.
    label->setText(QString::fromLatin1(programLabel(number, name)));
}

void KesmoDlg::reloadSystemPage() {
    if (m_currentPage == kSystemTab)
        m_systemPage->refresh();
}

void KesmoDlg::connectClicked() {
    m_connection->connect();
}

void KesmoDlg::sendCommand(int code, int arg) {
    m_connection->sendCommand(code, arg);
}

void KesmoDlg::exportMode() {
    m_connection->exportMode();
}

void KesmoDlg::importMode() {
    m_connection->importMode();
}

void KesmoDlg::exportAll() {
    m_connection->exportAll();
}

void KesmoDlg::importAll() {
    m_connection->importAll();
}

void KesmoDlg::showLookup() {
    m_progress->lookup();
}

void KesmoDlg::startBar(int count) {
    m_progress->startBar(count);
}

void KesmoDlg::step(int progressStep) {
    m_progress->step(progressStep);
}

void KesmoDlg::showBusy() {
    m_progress->busy();
}

void KesmoDlg::hideProgress() {
    m_progress->hideWindow();
}

void KesmoDlg::showMessage(const std::string& message) {
    if (m_closing)
        return;
    dialogSeam().message(this, QString::fromStdString(message), windowTitle());
}

std::optional<std::string> KesmoDlg::saveFile(PresetFileKind, const std::filesystem::path& start) {
    const auto chosen = dialogSeam().saveFile(this, QString::fromStdString(start.parent_path()),
                                              QString::fromStdString(start.filename()));
    if (!chosen)
        return std::nullopt;
    return chosen->toStdString();
}

std::optional<std::string> KesmoDlg::openFile(PresetFileKind, const std::filesystem::path& start) {
    const auto chosen = dialogSeam().openFile(this, QString::fromStdString(start.parent_path()),
                                              QString::fromStdString(start.filename()));
    if (!chosen)
        return std::nullopt;
    return chosen->toStdString();
}

void KesmoDlg::lampsArrived(int which) {
    if (m_currentPage == kSystemTab)
        m_systemPage->lampsArrived(which);
    linkState().lamps.gate = 1;
}

bool KesmoDlg::onMessage(Message message, std::intptr_t wParam, std::intptr_t lParam) {
    switch (message) {
    case Message::SliderTracking:
    case Message::SliderChanged:
        for (const Volume& v : kVolumes)
            if (v.slider == wParam)
                volumeMoved(v, static_cast<int>(lParam));
        return true;
    case Message::SystemBlockArrived:
        reloadSystemPage();
        refreshTopBar();
        return true;
    case Message::WorkingModeArrived: {
        {
            // The device link copied the image on its thread; the band sets are ours.
            std::lock_guard lock(modelLock());
            rebindBandSets(store());
        }
        refreshAll();
        showProgram(true);
        return true;
    }
    case Message::LampsArrived:
        lampsArrived(static_cast<int>(wParam));
        return true;
    case Message::PortLost:
        m_connection->handleMessage(message, wParam, lParam);
        if (linkState().connected == 0)
            m_systemPage->clearMeters();
        return true;
    default:
        return m_connection->handleMessage(message, wParam, lParam);
    }
}

void KesmoDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        setFocus(Qt::OtherFocusReason);
        event->accept();
        return;
    case Qt::Key_F1:
        showAbout();
        event->accept();
        return;
    default:
        MessageTarget::keyPressEvent(event);
    }
}

void KesmoDlg::paintEvent(QPaintEvent*) {
    // Around the client area when a small screen's window is larger than the design.
    QPainter painter(this);
    painter.fillRect(rect(), QColor(30, 32, 36));
}

void KesmoDlg::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addSeparator();
    menu.addAction(text(kAboutEntryText, m_languageFlag), this, &KesmoDlg::showAbout);
    menu.exec(event->globalPos());
}

void KesmoDlg::showAbout() {
    auto* about = new QDialog(this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    const BuiltDialog built = buildDialog(dialogTemplate(100), about);
    about->setFixedSize(about->size());
    if (auto* ok = built.control<QPushButton>(1))
        connect(ok, &QPushButton::clicked, about, &QDialog::accept);
    about->setWindowIcon(programIcon());
    about->open();
}

void KesmoDlg::closeEvent(QCloseEvent* event) {
    deliverLastEdits();
    closeLink();
    event->accept();
}

void KesmoDlg::deliverLastEdits() {
    if (m_closing || linkState().connected == 0)
        return;
    // A slider released just before closing must still reach the processor; a link that fails
    // meanwhile ends the wait without a message.
    m_closing = true;
    m_progress->busy();
    const auto deadline = std::chrono::steady_clock::now() + kCloseDeliveryLimit;
    while (std::chrono::steady_clock::now() < deadline && linkState().connected != 0) {
        {
            std::lock_guard lock(modelLock());
            if (editsDelivered(*m_command))
                break;
        }
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    m_progress->hideWindow();
}

void KesmoDlg::setUpSmallScreen(QSize) {
    const QSize clientSize = m_client->size();
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    resize(kSmallScreenWindow);
    m_vBar = new QScrollBar(Qt::Vertical, this);
    m_hBar = new QScrollBar(Qt::Horizontal, this);
    const int vPage = clientSize.height() / 100;
    const int hPage = clientSize.width() / 50;
    // Ranges as the window's scroll bars count them: the last position is max - page + 1.
    m_vBar->setPageStep(vPage);
    m_vBar->setRange(1, 15 * vPage - vPage + 1);
    m_hBar->setPageStep(hPage);
    m_hBar->setRange(1, 20 * hPage - hPage + 1);
    m_vBar->setValue(1);
    m_hBar->setValue(1);
    // Starting from the bars' own positions keeps the top-left reachable again.
    m_previousV = 1;
    m_previousH = 1;
    for (QScrollBar* bar : {m_hBar, m_vBar}) {
        bar->setSingleStep(1);
        connect(bar, &QAbstractSlider::actionTriggered, this,
                [this, bar](int action) { scrollBy(bar, action); });
        bar->show();
    }
    layoutScrollBars();
}

void KesmoDlg::scrollBy(QScrollBar* bar, int request) {
    const int minimum = bar->minimum();
    const int page = bar->pageStep();
    const int last = bar->maximum(); // maximum - page + 1 of the window's bar
    const int position = bar->value();
    int next = position;
    switch (request) {
    case QAbstractSlider::SliderSingleStepSub:
        next = std::max(minimum, position - 1);
        break;
    case QAbstractSlider::SliderSingleStepAdd:
        next = std::min(position + 1, last);
        break;
    case QAbstractSlider::SliderPageStepSub:
        next = std::max(minimum, position - page);
        break;
    case QAbstractSlider::SliderPageStepAdd:
        next = std::min(position + page, last);
        break;
    case QAbstractSlider::SliderMove:
        next = bar->sliderPosition();
        break;
    case QAbstractSlider::SliderToMinimum:
        next = minimum;
        break;
    case QAbstractSlider::SliderToMaximum:
        next = last;
        break;
    default:
        return;
    }
    bar->setSliderPosition(next);
    int& previous = bar == m_vBar ? m_previousV : m_previousH;
    const int delta = previous - next;
    previous = next;
    if (bar == m_vBar)
        m_client->move(m_client->x(), m_client->y() + delta);
    else
        m_client->move(m_client->x() + delta, m_client->y());
}

void KesmoDlg::resizeEvent(QResizeEvent* event) {
    MessageTarget::resizeEvent(event);
    layoutScrollBars();
}

void KesmoDlg::layoutScrollBars() {
    if (m_vBar == nullptr || m_hBar == nullptr)
        return;
    const int v = m_vBar->sizeHint().width();
    const int h = m_hBar->sizeHint().height();
    m_vBar->setGeometry(width() - v, 0, v, height() - h);
    m_hBar->setGeometry(0, height() - h, width() - v, h);
    m_vBar->raise();
    m_hBar->raise();
}

} // namespace kesmo
