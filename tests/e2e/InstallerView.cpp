#include "InstallerView.h"
#include "payload/Payload.h"
#include "support/BitmapFile.h"
#include "support/WaitFor.h"
#include <algorithm>
#include <cstdio>
#include <vector>

constexpr int MessageBoxTextControl = 65535;

// The screen pixels of a rectangle that another window (the message box)
// does not cover.
struct Area {
    const ScreenImage& screen;
    RECT rect;
    RECT covered;

    template <typename Visit>
    void ForEach(Visit visit) const
    {
        for (int y = rect.top; y < rect.bottom; y++) {
            for (int x = rect.left; x < rect.right; x++) {
                POINT point = {x, y};
                if (screen.Contains(x, y) && !PtInRect(&covered, point))
                    visit(screen.At(x, y), x, y);
            }
        }
    }
    int Count(COLORREF colour) const
    {
        int count = 0;
        ForEach([&](COLORREF pixel, int, int) { count += pixel == colour; });
        return count;
    }
    // Pixels that stand out from the background: text, a picture.
    int Ink(COLORREF background, int minimumDistance = 200) const
    {
        int count = 0;
        ForEach([&](COLORREF pixel, int, int) { count += ColourDistance(pixel, background) > minimumDistance; });
        return count;
    }
    int Seen() const
    {
        int count = 0;
        ForEach([&](COLORREF, int, int) { count++; });
        return count;
    }
};

RECT ClientOnScreen(HWND window)
{
    RECT client = {};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, (POINT*)&client, 2);
    return client;
}

// A scaled picture shows a colour of one of its large single-colour areas
// within this distance of the colour itself, however smoothly it was
// scaled; red and blue swapped move the logo's inks by 90 and more.
constexpr int LogoColourTolerance = 30;
// A point of the picture counts as inside a single-colour area when every
// pixel this far around it has its colour; points are taken this far apart.
constexpr int FlatRadius = 3;
constexpr int FlatPointSpacing = 3;

struct FlatPoint {
    int x;
    int y;
    COLORREF colour;
};

static const BitmapFilePixels& LogoPicture()
{
    static const BitmapFilePixels picture = ReadBitmapFile(LogoBitmapStart);
    return picture;
}

static COLORREF PictureColour(const BitmapFilePixels& picture, int x, int y)
{
    unsigned pixel = picture.pixels[(size_t)y * picture.width + x];
    return RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF);
}

static bool Flat(const BitmapFilePixels& picture, int x, int y)
{
    COLORREF colour = PictureColour(picture, x, y);
    for (int dy = -FlatRadius; dy <= FlatRadius; dy++) {
        for (int dx = -FlatRadius; dx <= FlatRadius; dx++) {
            if (PictureColour(picture, x + dx, y + dy) != colour)
                return false;
        }
    }
    return true;
}

static const std::vector<FlatPoint>& FlatLogoPoints()
{
    static const std::vector<FlatPoint> points = [] {
        const BitmapFilePixels& picture = LogoPicture();
        std::vector<FlatPoint> found;
        for (int y = FlatRadius; y < picture.height - FlatRadius; y += FlatPointSpacing) {
            for (int x = FlatRadius; x < picture.width - FlatRadius; x += FlatPointSpacing) {
                if (Flat(picture, x, y))
                    found.push_back({x, y, PictureColour(picture, x, y)});
            }
        }
        return found;
    }();
    return points;
}

static std::string Hex(COLORREF colour)
{
    char text[16];
    snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}

HRGN OutlineOnScreen(HWND window)
{
    HWND root = GetAncestor(window, GA_ROOT);
    RECT outer = {};
    GetWindowRect(root, &outer);
    HRGN outline = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(root, outline) == ERROR)
        SetRectRgn(outline, outer.left, outer.top, outer.right, outer.bottom);
    else
        OffsetRgn(outline, outer.left, outer.top);
    return outline;
}

// The control takes the picture's size and shows it in its client area
// (Wine shrinks it by the frame): a point of the 96-dpi picture lands where
// its centre falls in that area.
std::string LogoDrawnWrong(const ScreenImage& screen, HWND logoControl, const RECT& covered, COLORREF ink,
                           COLORREF paper)
{
    const BitmapFilePixels& picture = LogoPicture();
    RECT client = ClientOnScreen(logoControl), visible = VisibleRect(logoControl);
    int width = client.right - client.left, height = client.bottom - client.top;
    if (width <= 0 || height <= 0)
        return "no client area";
    HRGN outline = OutlineOnScreen(logoControl);
    int checked = 0, wrong = 0;
    std::string first;
    for (const FlatPoint& point : FlatLogoPoints()) {
        POINT at = {client.left + (2 * point.x + 1) * width / (2 * picture.width),
                    client.top + (2 * point.y + 1) * height / (2 * picture.height)};
        if (!screen.Contains(at.x, at.y) || !PtInRect(&visible, at) || PtInRect(&covered, at)
            || !PtInRegion(outline, at.x, at.y))
            continue;
        checked++;
        COLORREF shown = screen.At(at.x, at.y);
        COLORREF expected = ink == CLR_INVALID ? point.colour : point.colour == White ? paper : ink;
        if (ColourDistance(shown, expected) <= LogoColourTolerance)
            continue;
        if (wrong++ == 0)
            first = Hex(shown) + " instead of " + Hex(expected) + " at (" + std::to_string(point.x) + ", "
                + std::to_string(point.y) + ") of the 96-dpi picture";
    }
    DeleteObject(outline);
    if (wrong == 0)
        return "";
    return std::to_string(wrong) + " of " + std::to_string(checked) + " points off their colour, first " + first;
}

// A push button: mostly its face colour, with its text or picture on it.
static bool ButtonPainted(const ScreenImage& screen, HWND button, const RECT& covered)
{
    RECT inside = VisibleRect(button);
    InflateRect(&inside, -3, -3);
    Area area{screen, inside, covered};
    int seen = area.Seen();
    if (seen == 0)
        return true;
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    return area.Count(face) * 2 >= seen && area.Ink(face, 150) >= 10;
}

static void Note(std::string& missing, const std::string& part)
{
    missing += (missing.empty() ? "" : ", ") + part;
}

// Every line in view that has text shows some of it in the log's colour. A
// line drawn on the white background in other colours only (shown
// selected, or in another text colour) is `wrong`: no later paint mends it.
static std::string UndrawnLogLines(const InstallerProcess& installer, const ScreenImage& screen, const RECT& covered,
                                   bool& wrong)
{
    RECT client = ClientOnScreen(installer.List);
    Area list{screen, client, covered};
    if (list.Count(White) * 2 < list.Seen())
        return "the log's white background";
    int top = (int)installer.AskList(LB_GETTOPINDEX);
    int lineHeight = (int)installer.AskList(LB_GETITEMHEIGHT);
    std::vector<std::string> lines = installer.LogLines();
    std::string undrawn;
    for (int i = top; lineHeight > 0 && i < (int)lines.size(); i++) {
        // The last line in view may be cut by the client's bottom edge.
        RECT band = {client.left, client.top + (i - top) * lineHeight, client.right,
                     std::min<LONG>(client.bottom, client.top + (i - top + 1) * lineHeight)};
        if (band.top >= client.bottom)
            break;
        Area line{screen, band, covered};
        if (lines[i].empty() || line.Seen() == 0 || line.Count(ListTextColour) >= 5)
            continue;
        bool inOtherColours = line.Ink(White) >= 5;
        Note(undrawn, "log line " + std::to_string(i) + (inOtherColours ? " (drawn in other colours)" : ""));
        wrong = wrong || inOtherColours;
    }
    return undrawn;
}

static std::string UnpaintedInWindow(const InstallerProcess& installer, const ScreenImage& screen, const RECT& covered,
                                     bool& wrong)
{
    std::string missing;
    std::string logo = LogoDrawnWrong(screen, GetDlgItem(installer.LogoBand, 11), covered);
    if (!logo.empty())
        Note(missing, "the logo (" + logo + ")");
    RECT logPanel = ClientOnScreen(installer.LogPanel);
    if (Area{screen, {logPanel.left, logPanel.top, logPanel.left + 8, logPanel.top + 8}, covered}.Ink(LogPanelColour, 0))
        Note(missing, "the log panel's colour");
    RECT buttonPanel = ClientOnScreen(installer.ButtonPanel);
    if (Area{screen, {buttonPanel.left, buttonPanel.top, buttonPanel.left + 4, buttonPanel.top + 8}, covered}.Ink(
            ButtonPanelColour, 0))
        Note(missing, "the button panel's colour");
    for (int button : {6, 8, 7})
        if (!ButtonPainted(screen, installer.Control(button), covered))
            Note(missing, "the text of button " + std::to_string(button) + " (" + TextOf(installer.Control(button)) + ")");
    if (!ButtonPainted(screen, installer.Control(5), covered))
        Note(missing, "the cancel button's picture");
    HWND credit = GetDlgItem(installer.LogPanel, 14);
    Area creditLine{screen, ClientOnScreen(credit), covered};
    if (creditLine.Seen() > 0 && creditLine.Ink(LogPanelColour) < 30)
        Note(missing, "the credit line");
    std::string log = UndrawnLogLines(installer, screen, covered, wrong);
    if (!log.empty())
        Note(missing, log);
    return missing;
}

std::string UnpaintedInWindow(const InstallerProcess& installer, const ScreenImage& screen)
{
    bool wrong = false;
    return UnpaintedInWindow(installer, screen, RECT{}, wrong);
}

// Most pixels of a one-pixel line of the box's edge have the colour.
static bool EdgeDrawn(const ScreenImage& screen, RECT line, COLORREF colour)
{
    Area edge{screen, line, RECT{}};
    return edge.Seen() > 0 && edge.Count(colour) * 10 >= edge.Seen() * 9;
}

// A dialog frame is a raised edge, light at the top and left, dark at the
// bottom and right.
static bool FrameDrawn(const ScreenImage& screen, const RECT& box)
{
    COLORREF light = GetSysColor(COLOR_3DLIGHT), dark = GetSysColor(COLOR_3DDKSHADOW);
    return EdgeDrawn(screen, {box.left + 1, box.top, box.right - 2, box.top + 1}, light)
        && EdgeDrawn(screen, {box.left, box.top + 1, box.left + 1, box.bottom - 2}, light)
        && EdgeDrawn(screen, {box.left + 1, box.bottom - 1, box.right - 1, box.bottom}, dark)
        && EdgeDrawn(screen, {box.right - 1, box.top + 1, box.right, box.bottom - 1}, dark);
}

static bool Between(COLORREF pixel, COLORREF from, COLORREF to)
{
    auto within = [](int value, int a, int b) { return value >= std::min(a, b) - 8 && value <= std::max(a, b) + 8; };
    return within(GetRValue(pixel), GetRValue(from), GetRValue(to))
        && within(GetGValue(pixel), GetGValue(from), GetGValue(to))
        && within(GetBValue(pixel), GetBValue(from), GetBValue(to));
}

// The close box's glyph, Marlett's cross, is symmetric both ways; the
// letter a missing Marlett leaves ("r") is neither.
static bool CrossDrawn(const ScreenImage& screen, const RECT& closeBox)
{
    COLORREF glyph = GetSysColor(COLOR_BTNTEXT);
    RECT bounds = {closeBox.right, closeBox.bottom, closeBox.left, closeBox.top};
    Area area{screen, closeBox, RECT{}};
    area.ForEach([&](COLORREF pixel, int x, int y) {
        if (pixel != glyph)
            return;
        bounds = {std::min<LONG>(bounds.left, x), std::min<LONG>(bounds.top, y), std::max<LONG>(bounds.right, x + 1),
                  std::max<LONG>(bounds.bottom, y + 1)};
    });
    int inked = 0, mirrored = 0;
    Area{screen, bounds, RECT{}}.ForEach([&](COLORREF pixel, int x, int y) {
        if (pixel != glyph)
            return;
        inked++;
        int mirrorX = bounds.left + bounds.right - 1 - x, mirrorY = bounds.top + bounds.bottom - 1 - y;
        mirrored += screen.At(mirrorX, y) == glyph && screen.At(x, mirrorY) == glyph;
    });
    return inked >= 8 && mirrored * 10 >= inked * 9;
}

// The box's frame and title bar are as large as the system drew them for
// the program that shows it, larger on a scaled display: the frame is what
// the outer rectangle holds beyond the client area at the sides, the title
// bar the rest at the top; the close box grows with the title bar.
static std::string UnpaintedTitleBar(const ScreenImage& screen, HWND window, const RECT& box)
{
    RECT client = {};
    GetClientRect(window, &client);
    int frameX = (box.right - box.left - client.right) / 2, frameY = frameX;
    int titleBarHeight = box.bottom - box.top - client.bottom - 2 * frameY;
    int captionHeight = titleBarHeight - 1;
    int closeWidth = MulDiv(GetSystemMetrics(SM_CXSIZE), titleBarHeight, GetSystemMetrics(SM_CYCAPTION));
    RECT caption = {box.left + frameX, box.top + frameY, box.right - frameX, box.top + frameY + captionHeight};
    RECT title = {caption.left, caption.top, caption.right - closeWidth - 2, caption.bottom};
    int middle = (caption.top + caption.bottom) / 2;
    int coloured = 0, width = title.right - title.left;
    for (int x = title.left; x < title.right; x++) {
        COLORREF pixel = screen.Contains(x, middle) ? screen.At(x, middle) : CLR_INVALID;
        coloured += Between(pixel, GetSysColor(COLOR_ACTIVECAPTION), GetSysColor(COLOR_GRADIENTACTIVECAPTION))
            || Between(pixel, GetSysColor(COLOR_INACTIVECAPTION), GetSysColor(COLOR_GRADIENTINACTIVECAPTION));
    }
    if (width <= 0 || coloured * 2 < width)
        return "the title bar";
    Area titleArea{screen, title, RECT{}};
    if (titleArea.Count(GetSysColor(COLOR_CAPTIONTEXT)) + titleArea.Count(GetSysColor(COLOR_INACTIVECAPTIONTEXT)) < 15)
        return "the title";
    if (!CrossDrawn(screen, {caption.right - closeWidth - 2, caption.top, caption.right, caption.bottom}))
        return "the close box's cross";
    return "";
}

std::string UnpaintedInBox(const MessageBoxContent& box, const ScreenImage& screen)
{
    RECT outer = {};
    GetWindowRect(box.box, &outer);
    std::string missing;
    if (!FrameDrawn(screen, outer))
        Note(missing, "the message box's frame");
    std::string titleBar = UnpaintedTitleBar(screen, box.box, outer);
    if (!titleBar.empty())
        Note(missing, titleBar);
    if (Area{screen, ClientOnScreen(GetDlgItem(box.box, MessageBoxTextControl)), RECT{}}.Ink(
            GetSysColor(COLOR_BTNFACE))
        < 30)
        Note(missing, "the message text");
    if (!ButtonPainted(screen, GetDlgItem(box.box, IDOK), RECT{}))
        Note(missing, "the OK button");
    return missing;
}

// What a capture shows of the state waited for.
enum class Seen { Complete, NotYet, Wrong };
enum class Outcome { Complete, Wrong, Final, Gone, TimedOut };

// Captures the screen until `judge` finds it complete, it is wrong on two
// unchanged captures in a row, or it is final: unchanged for PaintSettledMs
// while `window`'s thread answered every message sent to it, or the window
// is gone. `shown` is the last capture. `wait` waits for a condition.
template <typename Judge, typename Wait>
static Outcome WaitForScreen(HWND window, Judge judge, ScreenImage& shown, Wait wait)
{
    Outcome outcome = Outcome::TimedOut;
    ScreenImage previous;
    Seen before = Seen::NotYet;
    DWORD steadySince = GetTickCount();
    wait([&] {
            if (!IsWindow(window)) {
                outcome = Outcome::Gone;
                return true;
            }
            bool answered = Answers(window);
            shown = CaptureScreen();
            Seen seen = judge(shown);
            bool unchanged = shown.pixels == previous.pixels;
            DWORD now = GetTickCount();
            if (!unchanged || !answered)
                steadySince = now;
            if (seen == Seen::Complete)
                outcome = Outcome::Complete;
            else if (unchanged && seen == Seen::Wrong && before == Seen::Wrong)
                outcome = Outcome::Wrong;
            else if (now - steadySince >= PaintSettledMs)
                outcome = Outcome::Final;
            before = seen;
            previous = shown;
            return outcome != Outcome::TimedOut;
        });
    return outcome;
}

static const char* OutcomeNote(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Wrong:
        return " (drawn so on two captures in a row)";
    case Outcome::Final:
        return " (the screen stayed so while the installer was idle)";
    case Outcome::Gone:
        return " (its window is gone)";
    default:
        return " (still so at the deadline)";
    }
}

bool WaitForPainted(const InstallerProcess& installer, const MessageBoxContent* box, ScreenImage& shown,
                    std::string& missing, DWORD timeoutMs)
{
    RECT covered = {};
    if (box)
        GetWindowRect(box->box, &covered);
    Outcome outcome = WaitForScreen(
        installer.Main,
        [&](const ScreenImage& screen) {
            bool wrong = false;
            missing = UnpaintedInWindow(installer, screen, covered, wrong);
            if (box) {
                std::string inBox = UnpaintedInBox(*box, screen);
                if (!inBox.empty())
                    Note(missing, inBox);
            }
            return missing.empty() ? Seen::Complete : wrong ? Seen::Wrong : Seen::NotYet;
        },
        shown,
        [&](const std::function<bool()>& condition) {
            return installer.WaitWatching(condition, Awaited::State, "its painting", timeoutMs);
        });
    if (outcome != Outcome::Complete)
        missing += installer.Unexpected().empty() ? OutcomeNote(outcome) : " (" + installer.Unexpected() + ")";
    return outcome == Outcome::Complete;
}

BoxIcon WaitForIcon(HWND iconControl, BoxIcon expected, DWORD timeoutMs)
{
    BoxIcon recognised = BoxIcon::Unrecognised;
    ScreenImage shown;
    WaitForScreen(
        GetAncestor(iconControl, GA_ROOT),
        [&](const ScreenImage& screen) {
            recognised = RecogniseIcon(iconControl, screen);
            if (recognised == expected)
                return Seen::Complete;
            return recognised == BoxIcon::Unrecognised ? Seen::NotYet : Seen::Wrong;
        },
        shown, [&](const std::function<bool()>& condition) { return WaitFor(condition, timeoutMs); });
    return recognised;
}
