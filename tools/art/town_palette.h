// The colours of the town. Every named colour is an entry of the image
// format's built-in 256-colour table, so packing a picture loses nothing and
// every picture shares one palette.
#pragma once

#include <QImage>
#include <QRgb>

#include <array>

// The built-in table: a 6x6x6 cube (without black), ten-step ramps of red,
// green, blue and grey, then black. Entry 0 is white, entry 255 black.
std::array<QRgb, 256> DefaultColourTable();

// True when the colour (alpha ignored) is an entry of the built-in table.
bool IsTableColour(QRgb c);

// Replaces every pixel by the nearest table colour; alpha becomes 0 or 255.
void SnapToTable(QImage& img);

namespace town {

// Sky, from the top down to the horizon.
inline constexpr QRgb kSkyHigh = qRgb(51, 102, 204);
inline constexpr QRgb kSkyMid = qRgb(102, 153, 204);
inline constexpr QRgb kSkyLow = qRgb(153, 204, 255);
inline constexpr QRgb kSkyPale = qRgb(204, 204, 255);
inline constexpr QRgb kHaze = qRgb(255, 204, 204);
inline constexpr QRgb kGold = qRgb(255, 204, 153);
inline constexpr QRgb kGoldDeep = qRgb(255, 204, 102);
inline constexpr QRgb kSun = qRgb(255, 255, 204);
inline constexpr QRgb kCloud = qRgb(255, 255, 255);
inline constexpr QRgb kCloudShade = qRgb(204, 204, 255);

// Distant hills, bluish with the air between.
inline constexpr QRgb kHillFar = qRgb(153, 153, 204);
inline constexpr QRgb kHillNear = qRgb(102, 153, 153);

// Warm stone: lit face, face, shade, outline.
inline constexpr QRgb kStoneLight = qRgb(255, 204, 153);
inline constexpr QRgb kStone = qRgb(204, 153, 102);
inline constexpr QRgb kStoneShade = qRgb(153, 102, 102);
inline constexpr QRgb kStoneDark = qRgb(102, 51, 51);

// Timber and wood.
inline constexpr QRgb kWoodLight = qRgb(204, 153, 51);
inline constexpr QRgb kWood = qRgb(153, 102, 51);
inline constexpr QRgb kWoodDark = qRgb(102, 51, 0);
inline constexpr QRgb kWoodDeep = qRgb(51, 0, 0);

// Clay roofs.
inline constexpr QRgb kRoofLight = qRgb(255, 102, 51);
inline constexpr QRgb kRoof = qRgb(204, 51, 0);
inline constexpr QRgb kRoofShade = qRgb(153, 51, 0);

// Lawns, trees and bushes.
inline constexpr QRgb kGrassLight = qRgb(153, 204, 51);
inline constexpr QRgb kGrass = qRgb(102, 153, 0);
inline constexpr QRgb kGrassShade = qRgb(51, 102, 0);
inline constexpr QRgb kLeafDark = qRgb(0, 102, 51);
inline constexpr QRgb kLeafDeep = qRgb(0, 51, 0);

// Paths and road.
inline constexpr QRgb kPathLight = qRgb(255, 255, 204);
inline constexpr QRgb kPath = qRgb(204, 204, 153);
inline constexpr QRgb kPathShade = qRgb(153, 153, 102);

// Warm light of lanterns and open doors.
inline constexpr QRgb kGlowCore = qRgb(255, 255, 153);
inline constexpr QRgb kGlow = qRgb(255, 204, 51);
inline constexpr QRgb kGlowDeep = qRgb(255, 153, 0);
inline constexpr QRgb kEmber = qRgb(204, 102, 0);

// Parchment and ink.
inline constexpr QRgb kParchment = qRgb(255, 255, 204);
inline constexpr QRgb kParchmentShade = qRgb(255, 204, 153);
inline constexpr QRgb kParchmentEdge = qRgb(204, 153, 102);
inline constexpr QRgb kInk = qRgb(51, 0, 0);
inline constexpr QRgb kSeal = qRgb(204, 0, 0);
inline constexpr QRgb kSealShade = qRgb(136, 0, 0);

// Iron and glass.
inline constexpr QRgb kIron = qRgb(51, 51, 51);
inline constexpr QRgb kIronLight = qRgb(102, 102, 102);
inline constexpr QRgb kWhite = qRgb(255, 255, 255);
inline constexpr QRgb kBlack = qRgb(0, 0, 0);

// Every named colour, so the generator can check them against the table.
inline constexpr std::array kAll = {
    kSkyHigh, kSkyMid, kSkyLow, kSkyPale, kHaze, kGold, kGoldDeep, kSun, kCloud,
    kCloudShade, kHillFar, kHillNear, kStoneLight, kStone, kStoneShade, kStoneDark,
    kWoodLight, kWood, kWoodDark, kWoodDeep, kRoofLight, kRoof, kRoofShade,
    kGrassLight, kGrass, kGrassShade, kLeafDark, kLeafDeep, kPathLight, kPath,
    kPathShade, kGlowCore, kGlow, kGlowDeep, kEmber, kParchment, kParchmentShade,
    kParchmentEdge, kInk, kSeal, kSealShade, kIron, kIronLight, kWhite, kBlack};

}  // namespace town
