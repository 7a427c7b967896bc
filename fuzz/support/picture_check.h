#pragma once
// Draws a decoded image the way the screens do (into an off-screen surface,
// through its mask) and asks the hit test about its corners, so a picture
// or mask smaller than the size the image claims is caught when it is used.

struct Image;

void DrawLikeScreens(const Image* image);
