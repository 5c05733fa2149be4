#pragma once

#include "tools/kesmo-cli/Cli.h"

#include <string_view>

// Room EQ filter files: a channel's EQ bands from and to Room EQ Wizard / Equalizer APO text.
namespace kesmo::cli {

inline constexpr std::string_view kEqImportDetails =
    "CHANNEL is musicLeft, musicRight, mic1, mic2, echoA, echoB, reverb or scene[S].mainL,\n"
    "scene[S].mainR, .center, .sub, .rearL, .rearR, .surroundL or .surroundR (S 1..3).\n"
    "FILE.txt holds filter lines as Room EQ Wizard's \"Filter Settings file\" or Equalizer APO\n"
    "write them (Filter 1: ON PK Fc 63.4 Hz Gain -6.2 dB Q 4.87). PK becomes \"P\", LS and LSC\n"
    "\"LS\", HS and HSC \"HS\", None and OFF \"BY\"; the filters fill the bands in file order and\n"
    "the remaining bands become \"BY\". Values are rounded to what the processor stores.\n"
    "Prints each band (asked -> stored) and the largest deviation, in dB, between the file's\n"
    "EQ and the stored EQ. A Preamp line is reported, not applied.\n"
    "With --into the bands go into that .dia file; otherwise into the device's working mode.\n"
    "A refused import changes nothing.\n";

inline constexpr std::string_view kEqExportDetails =
    "CHANNEL as for eq-import. Writes the channel's EQ bands as a Room EQ Wizard filter file,\n"
    "from the .dia file named by --from or from the device's working mode; \"BY\" bands are\n"
    "written switched off, with their values.\n";

int runEqImport(Invocation& inv);
int runEqExport(Invocation& inv);

} // namespace kesmo::cli
