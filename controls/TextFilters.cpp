#include "controls/TextFilters.h"

#include <QByteArray>
#include <limits>

namespace kesmo {

bool numericCharAllowed(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x20 || u == 0x7F)
        return true;
    return (u >= '0' && u <= '9') || u == '-' || u == '.';
}

bool singleByteCharAllowed(QChar c) {
    return c.unicode() <= 0xFF;
}

bool typedTextAllowed(const QString& text, bool (*allowed)(QChar)) {
    for (const QChar c : text) {
        if (!allowed(c))
            return false;
    }
    return true;
}

void filterInputMethodEvent(const QInputMethodEvent& source, QInputMethodEvent& target,
                            bool (*allowed)(QChar)) {
    QString commit;
    for (const QChar c : source.commitString()) {
        if (allowed(c))
            commit.append(c);
    }
    target.setCommitString(commit, source.replacementStart(), source.replacementLength());
}

double parseLeadingNumber(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    const auto at = [&](qsizetype k) { return k < n ? text.at(k).unicode() : u'\0'; };
    const auto isDigit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    while (at(i) == u' ' || at(i) == u'\t' || at(i) == u'\n' || at(i) == u'\r')
        ++i;
    const qsizetype start = i;
    if (at(i) == u'+' || at(i) == u'-')
        ++i;
    qsizetype digits = 0;
    bool wholePart = false; // a nonzero digit before the point: too large rather than too small
    while (isDigit(at(i))) {
        wholePart = wholePart || at(i) != u'0';
        ++i;
        ++digits;
    }
    if (at(i) == u'.') {
        ++i;
        while (isDigit(at(i))) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0;
    qsizetype end = i;
    if (at(i) == u'e' || at(i) == u'E') {
        qsizetype k = i + 1;
        if (at(k) == u'+' || at(k) == u'-')
            ++k;
        if (isDigit(at(k))) {
            while (isDigit(at(k)))
                ++k;
            end = k;
        }
    }
    // toDouble reads the C locale's format whatever the process locale is.
    bool ok = false;
    const double value = text.mid(start, end - start).toLatin1().toDouble(&ok);
    if (ok)
        return value;
    if (!wholePart)
        return 0.0;
    const double huge = std::numeric_limits<double>::infinity();
    return text.at(start) == u'-' ? -huge : huge;
}

} // namespace kesmo
