#pragma once

#include "model/ModeImage.h"
#include "model/PresetFolders.h"

#include <filesystem>

namespace kesmo {

// The band sets live with the filters; the model reaches them through this interface so the
// layering stays one-way. Rebinding re-reads every record and recomputes the curves.
class BandSetBinder {
public:
    virtual ~BandSetBinder() = default;
    virtual void rebindAll() = 0;
    // EqChannel 0..7, 16, 17: that set; 8..15: the channel of the edited scene.
    virtual void rebindChannel(int eqChannel) = 0;
    // Output set of memory index 0..7 in scene 1..3.
    virtual void rebindOutputChannel(int scene, int index) = 0;
};

// The binder of the given store (at most one); nullptr unregisters.
void setBandSetBinder(ParamStore& store, BandSetBinder* binder);
BandSetBinder* bandSetBinder(const ParamStore& store);

// Start-up defaults, in order; binds the band sets when a binder is registered. The preset
// folders are set up in the given working directory (the process's own by default).
void initialiseModel(ParamStore& store);
void initialiseModel(ParamStore& store, const std::filesystem::path& workingDirectory);
// The dialog start paths initialiseModel prepared for the store (empty before it ran).
PresetFolders presetFolders(const ParamStore& store);

// Passwords held until the device's system block has been read.
inline constexpr char kPlaceholderPanelPassword[] = "0000";
inline constexpr char kPlaceholderSystemPassword[] = "000000";

// After the working image was replaced whole. With the system block: both mirrors follow and
// nothing is rebound. Without: the image mirror follows and every band set is rebound.
void takeOverImage(ParamStore& store, bool withSystemBlock);
// The device link's take-over on its own thread: only the image mirror follows. The band sets
// belong to the UI thread, which rebinds them when it learns that the image arrived.
void takeOverImageFromDevice(ParamStore& store);
// Every band set re-reads its records (UI thread).
void rebindBandSets(ParamStore& store);

void copyMusicLink(ParamStore& store, bool rebind);
void copyMicLink(ParamStore& store, bool rebind);
// pair: 9 Main, 13 Rear, 15 Surround (the right member's EqChannel); other values do nothing.
void copyOutputLink(ParamStore& store, int pair, bool rebind);
void applyWorkingLinks(ParamStore& store);
void applyStoredModeLinks(ParamStore& store);

// "EQ Reset" of one EqChannel; 7 and unknown channels do nothing.
void resetEq(ParamStore& store, int eqChannel);

// Default band frequencies in Hz.
inline constexpr double kMusicBandHz[15] = {20.5, 31.9, 50.6, 80.3, 125,  198,  315,  490,
                                            721,  1240, 1920, 3050, 4940, 7550, 12000};
inline constexpr double kMicBandHz[20] = {20.5, 31.9, 50.6,  80.3,  125,   198,  315,
                                          490,  721,  1240,  1920,  3050,  4940, 6230,
                                          8160, 9890, 12000, 14500, 17600, 20200};
inline constexpr double kEffectBandHz[7] = {20.5, 51.6, 135, 354, 926, 2420, 6350};
inline constexpr double kOutputBandHz[10] = {20.5, 36.5, 65.0, 116,  206,
                                             367,  655,  1170, 2080, 3700};
inline constexpr double kDynEqBandHz[3] = {28.9, 236, 4230};
inline constexpr double kExtraBandHz = 1000;

} // namespace kesmo
