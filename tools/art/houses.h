// The six houses of the demo lobby, one per sample game, each in its own
// file. building_set.cpp lists them for the generator.
#pragma once

#include "tools/art/building_set.h"

const BuildingArt& ChessHall();
const BuildingArt& CardTavern();
const BuildingArt& DiceHouse();
const BuildingArt& GoPavilion();
const BuildingArt& BackgammonInn();
const BuildingArt& GamesLibrary();
