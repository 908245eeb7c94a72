#pragma once
// Pictures of the tool-bar actions that have none of their own: sets the bitmap id of each listed
// action record whose id is still 0. The records are static; nothing is owned.
#include "core/types.h"

void assignActionPictures();
