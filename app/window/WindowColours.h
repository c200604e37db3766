#pragma once
// The colours of the installer window's parts: its own, or, while the user's
// contrast theme is on, the system's matching pairs (window text on window,
// button text on button face), so that no part is left in its own colours.
#include <windows.h>

enum WindowPart : unsigned char {
    PartMain,               // the main window, seen around the panels
    PartLogoBand,
    PartLogPanel,
    PartButtonPanel,
    PartListText,
    PartListBackground,
    PartCreditText,         // CLR_INVALID: the text colour the line is given by default
    PartCreditBackground,
    PartLogoInk,            // the logo's dark pixels and its light ones, in the
    PartLogoPaper,          // contrast theme only: otherwise it keeps its own
    PartPictureInk,         // the same for the cancel button's picture
    PartPicturePaper,
    PartCount
};

// Whether the user's contrast theme is on, as the system says now.
int WindowColoursSystemHighContrast();
// Follows the theme. Non-zero when the parts' colours changed: the theme came
// or went, or its colours changed while it is on.
int WindowColoursFollow(int highContrast);
int WindowColoursHighContrast();        // the state last followed
COLORREF WindowColour(WindowPart part);
