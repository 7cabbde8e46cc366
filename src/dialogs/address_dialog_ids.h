#pragma once
// Identities of the address dialog (300) and the fill dialog (301): control
// ids, which the widgets carry as their object names, and the help contexts
// that F1 and the Help button open.

namespace AddressDialogIds {

inline constexpr int BasicDialog = 300;
inline constexpr int FillDialog = 301;

inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int Help = 9;

inline constexpr int FirstEdit = 101;
inline constexpr int SecondEdit = 102;
inline constexpr int FirstHex = 103;
inline constexpr int SecondHex = 104;
inline constexpr int FirstDec = 105;
inline constexpr int SecondDec = 106;
inline constexpr int ValueIsAddress = 107;
inline constexpr int ValueIsSize = 108;
inline constexpr int FillGroup = 109;
inline constexpr int FillEdit = 110;
inline constexpr int FillHex = 111;
inline constexpr int FillDec = 112;
inline constexpr int FillAscii = 113;
inline constexpr int FirstGroup = 120;
inline constexpr int SecondGroup = 121;
inline constexpr int FirstFrame = 125;
inline constexpr int SecondFrame = 126;

inline constexpr int FirstHelp = 1015;
inline constexpr int SecondHelp = 1016;
inline constexpr int ValueIsSizeHelp = 1021;
inline constexpr int ValueIsAddressHelp = 1022;
inline constexpr int FillEditHelp = 1027;
inline constexpr int FillHexHelp = 1028;
inline constexpr int FillAsciiHelp = 1029;
inline constexpr int FillDecHelp = 1030;

inline constexpr int BasicDialogHelp = 2015;
inline constexpr int FillDialogHelp = 2016;

// The fill edit takes at most this many characters.
inline constexpr int FillEditLength = 3;

} // namespace AddressDialogIds
