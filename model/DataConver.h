#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// Value scales: what each stored code means and how it is shown.
namespace kesmo {

inline constexpr int kGridPoints = 420;     // the response grid
inline constexpr int kFrequencyCodes = 362; // codes 0..361
inline constexpr int kFrequencyCodeGridOffset = 35;
inline constexpr int kQCodes = 101;

// Grid index 0..419 -> Hz (indices outside the grid are clamped to it).
double gridFrequencyHz(int gridIndex);
const std::array<double, kGridPoints>& responseGrid();

// Frequency code -> Hz. Codes outside 0..361 are clamped to the table, never read past it.
double eqFrequencyHz(int code);
double crossoverFrequencyHz(int code);
// Hz -> nearest code 0..361 (half-way goes up).
int nearestFrequencyCode(double hz);
// Typed frequencies are accepted only within this range.
inline constexpr double kMinTypedFrequencyHz = 19.7;
inline constexpr double kMaxTypedFrequencyHz = 20600.0;
// A typed frequency outside that range is ignored (nullopt: the code stays as it was).
std::optional<int> typedFrequencyCode(double hz);
// A dragged frequency is clamped to that range first.
int draggedFrequencyCode(double hz);

// Q code -> Q (clamped to 0..100); Q -> nearest code.
double qValue(int code);
int nearestQCode(double q);
inline constexpr double kMinQ = 0.4;
inline constexpr double kMaxQ = 128.0;
// A typed Q is clamped to kMinQ..kMaxQ first.
int typedQCode(double q);

// Gain code (120 = 0 dB, 0.2 dB steps) <-> dB; half a step rounds up.
double gainDb(int code);
int gainCode(double db);

// Dynamics text tables.
inline constexpr int kRatioTextCount = 41;
inline constexpr int kAttackTextCount = 20;
inline constexpr int kReleaseTextCount = 8;
extern const std::array<const char*, kRatioTextCount> RatioTexts;
extern const std::array<const char*, kAttackTextCount> AttackTexts;
extern const std::array<const char*, kReleaseTextCount> ReleaseTexts;

// Display kinds of the value labels.
enum DisplayKind : int {
    kKindAttack = 5,
    kKindRelease = 6,
    kKindCrossoverFreq = 8,
    kKindRatio = 12,
    kKindReal = 14,
    kKindInteger = 20,
    kKindQ = 45,
    kKindRelease2 = 46,
    kKindIntegerOff = 47,
    kKindMetres = 48,
};

// The parameters a label carries besides its kind.
struct DisplayFormat {
    int minimum = 0;
    int maximum = 0;
    int integerScale = 1;
    int integerOffset = 0;
    double realScale = 0.0;
    double realOffset = 0.0;
    std::string unit;
};

// Text of a code by kind. The code is raised to the minimum first; no upper limit applies,
// and a table kind given a code beyond its table shows the last entry. An unknown kind shows
// the integer text (kind 20), the label's default.
std::string formatCode(int kind, int code, const DisplayFormat& format);

// Ranges of every field, as the pages allow them.
struct CodeRange {
    int minimum;
    int maximum;
    constexpr bool contains(int v) const { return v >= minimum && v <= maximum; }
    constexpr int clamp(int v) const { return v < minimum ? minimum : v > maximum ? maximum : v; }
};
namespace ranges {
inline constexpr CodeRange kFrequency{0, 361};
inline constexpr CodeRange kEqGain{0, 180};
inline constexpr CodeRange kDynEqGain{60, 180};
inline constexpr CodeRange kQ{0, 100};
inline constexpr CodeRange kBandType{0, 3};
inline constexpr CodeRange kSlope{0, 12};
inline constexpr CodeRange kGateThreshold{0, 60};
inline constexpr CodeRange kAttack{0, 19};
inline constexpr CodeRange kRelease{0, 7};
inline constexpr CodeRange kLimitLevel{0, 34};
inline constexpr CodeRange kDynThreshold{0, 60};
inline constexpr CodeRange kRatio{0, 40};
inline constexpr CodeRange kMicLevel{0, 40};
inline constexpr CodeRange kOutputLevel{0, 200};
inline constexpr CodeRange kOutputDelay{0, 1500};
inline constexpr CodeRange kEchoVolume{0, 100};
inline constexpr CodeRange kEchoRepeat{0, 90};
inline constexpr CodeRange kEchoPreDelay{0, 1500};
inline constexpr CodeRange kEchoDelay{0, 5000};
inline constexpr CodeRange kEchoRightPreDelay{0, 50};
inline constexpr CodeRange kEchoRightDelay{0, 100};
inline constexpr CodeRange kReverbVolume{0, 100};
inline constexpr CodeRange kReverbPreDelay{0, 2000};
inline constexpr CodeRange kReverbTime{0, 50000};
inline constexpr CodeRange kEffectVolume{0, 70};
inline constexpr CodeRange kMicVolume{0, 84};
inline constexpr CodeRange kMusicVolume{0, 84};
inline constexpr CodeRange kInputGain{0, 40};
inline constexpr CodeRange kKeyShift{0, 14};
inline constexpr CodeRange kFeedback{0, 4};
inline constexpr CodeRange kInputSelect{0, 8};
inline constexpr CodeRange kHarmonic{0, 9};
inline constexpr CodeRange kTimbre{0, 9};
inline constexpr CodeRange kToggle{0, 1};
} // namespace ranges

} // namespace kesmo
