#pragma once
// The installer window's panels and their controls, laid out in one table
// for a display of 96 dots per inch: the first build and every rebuild at
// another scale place them, their fonts and their pictures from it.

// Opens the panels in a main window `mainWidth` pixels wide inside, each
// reaching its right edge, and makes their controls, in French, with their
// fonts and pictures at the present scale.
void WindowLayoutBuild(int mainWidth);
// Places the panels and controls again at the present scale, with their
// fonts; the log keeps the reader's place.
void WindowLayoutPlace(int mainWidth);
// Makes the pictures anew and hands them to their controls.
void WindowLayoutShowPictures();
// Gives each panel its colour again.
void WindowLayoutColourPanels();
