// Linked into a test build of the installer only, never into the shipped
// program. Wine always says the contrast theme is off and cannot turn it on
// (SPI_SETHIGHCONTRAST fails there), and a program there keeps the system
// colours it read when it started, whatever another program sets with
// SetSysColors. Its hook answers the installer's question whether the theme
// is on: while the file named by QUILLFERN_HIGH_CONTRAST exists, its first line
// ("on" or "off") is the answer, and the system colours its other lines give
// (one COLORREF in decimal for each index from 0) are first made this
// process's own, as Windows makes a new theme every program's at once.
#include "app/AppHook.h"

constexpr int SystemColourCount = COLOR_MENUBAR + 1;

static const char* ReadNumber(const char* at, unsigned long* value)
{
    while (*at == '\r' || *at == '\n' || *at == ' ')
        at++;
    *value = 0;
    while (*at >= '0' && *at <= '9')
        *value = *value * 10 + (unsigned long)(*at++ - '0');
    return at;
}

// Only colours that differ are set: setting them sends every window, this
// one included, the change again.
static void TakeColours(const char* lines)
{
    int indices[SystemColourCount];
    COLORREF colours[SystemColourCount];
    int changed = 0;
    for (int index = 0; index < SystemColourCount && *lines; index++) {
        unsigned long value = 0;
        lines = ReadNumber(lines, &value);
        if (GetSysColor(index) != value) {
            indices[changed] = index;
            colours[changed++] = value;
        }
    }
    if (changed)
        SetSysColors(changed, indices, colours);
}

static int ReportedHighContrast()
{
    wchar_t path[MAX_PATH];
    if (!GetEnvironmentVariableW(L"QUILLFERN_HIGH_CONTRAST", path, MAX_PATH))
        return WindowColoursSystemHighContrastUnhooked();
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return WindowColoursSystemHighContrastUnhooked();
    static char text[1024];
    DWORD size = 0;
    ReadFile(file, text, sizeof text - 1, &size, nullptr);
    CloseHandle(file);
    text[size] = 0;
    int on = text[0] == 'o' && text[1] == 'n';
    const char* colours = text;
    while (*colours && *colours != '\n')
        colours++;
    TakeColours(colours);
    return on;
}

extern const AppHookTable AppHooks = {
    .WindowColoursSystemHighContrast = ReportedHighContrast,
};
