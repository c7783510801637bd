// A setup wizard that draws its own controls, as Qt, WPF and Electron setups
// do: one top-level window with no child windows, whose class carries a new
// GUID on every run ("DrawnWizard[{...}]"). For the end-to-end tests of
// playback.
//
//   drawn_wizard.exe [/LOAD=<ms>] [/ANIMATE] [/DEAF=<n>] [/CLASS=<name>] [/S] /D=<folder>
//
// Pages, each with its button at the same place (bottom right) and the check
// box of the first two at the same place (left):
//   1. welcome: check box "Создать ярлык" (clear), button "Далее"
//   2. components: check box "Словари" (ticked), button "Установить"
//   3. finish: button "Готово", which writes <folder>\result.txt
//      ("shortcut=0|1", "dictionaries=0|1", a line each) and exits with 0.
// /LOAD=     after each page appears it loads this long: a bar runs along
//            its bottom and presses are ignored (default 0)
// /ANIMATE   the bar never stops, presses are taken after the load all the
//            same (a window whose picture never settles)
// /DEAF=     the first n presses are lost without a trace, the picture
//            unchanged (a press that came before the page was ready inside)
// /CLASS=    the window's class instead of one with a new GUID
// /S         writes the result as the pages stand, without a window
// /D=        the folder; last on the line and unquoted, as it may hold spaces
// A press is taken when the left button goes down and up on one control.
// Exit codes: 0 installed, 1 closed before the end, 2 a bad command line,
// 3 the result could not be written.

#include <windows.h>
#include <objbase.h>

#include <string>

#include "wizard_support.h"

namespace {

constexpr int kExitInstalled = 0;
constexpr int kExitClosed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitFailed = 3;

constexpr int kClientWidth = 480;
constexpr int kClientHeight = 320;
constexpr RECT kButton = {370, 270, 460, 300};
constexpr RECT kCheckBox = {30, 150, 300, 174};
constexpr UINT_PTR kTimerAnimate = 1;
constexpr UINT kAnimateMs = 40;

struct Wizard {
    std::wstring folder;
    DWORD loadMs = 0;
    bool animateForever = false;
    bool silent = false;
    std::wstring className;
    int page = 1;
    bool shortcut = false;
    bool dictionaries = true;
    DWORD pageShownAt = 0;
    int frame = 0;
    int pressedOn = 0;  // 0 none, 1 the button, 2 the check box
    unsigned long deafPresses = 0;
    bool finished = false;
};

Wizard g_wizard;

bool Inside(const RECT& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

bool Loading() {
    return g_wizard.animateForever || GetTickCount() - g_wizard.pageShownAt < g_wizard.loadMs;
}

bool PressesIgnored() { return GetTickCount() - g_wizard.pageShownAt < g_wizard.loadMs; }

const wchar_t* ButtonText() {
    switch (g_wizard.page) {
        case 1: return L"Далее";
        case 2: return L"Установить";
        default: return L"Готово";
    }
}

void Label(HDC dc, const wchar_t* text, RECT r, UINT format) {
    ::DrawTextW(dc, text, -1, &r, format | DT_NOPREFIX);
}

void Paint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    static const wchar_t* const kHeadings[] = {L"Добро пожаловать", L"Компоненты", L"Готово к работе"};
    Label(dc, kHeadings[g_wizard.page - 1], {30, 30, 450, 60}, DT_LEFT);
    if (g_wizard.page < 3) {
        const bool ticked = g_wizard.page == 1 ? g_wizard.shortcut : g_wizard.dictionaries;
        RECT box = {kCheckBox.left, kCheckBox.top + 2, kCheckBox.left + 20, kCheckBox.top + 22};
        FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        if (ticked) {
            RECT mark = {box.left + 4, box.top + 4, box.right - 4, box.bottom - 4};
            FillRect(dc, &mark, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        }
        Label(dc, g_wizard.page == 1 ? L"Создать ярлык" : L"Словари",
                 {kCheckBox.left + 30, kCheckBox.top, kCheckBox.right, kCheckBox.bottom},
                 DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }
    RECT button = kButton;
    FillRect(dc, &button, static_cast<HBRUSH>(GetStockObject(g_wizard.pressedOn == 1 ? GRAY_BRUSH
                                                                                  : LTGRAY_BRUSH)));
    FrameRect(dc, &button, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    Label(dc, ButtonText(), button, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (Loading()) {
        // A block running along the bottom while the page loads.
        const int x = 20 + (g_wizard.frame * 12) % 400;
        RECT bar = {x, 240, x + 40, 250};
        FillRect(dc, &bar, static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH)));
    }
    EndPaint(window, &ps);
}


bool WriteResult() {
    MakeFolders(g_wizard.folder);
    return WriteFileText(g_wizard.folder + L"\\result.txt",
                         std::string("shortcut=") + (g_wizard.shortcut ? "1" : "0") +
                             "\r\ndictionaries=" + (g_wizard.dictionaries ? "1" : "0") + "\r\n");
}

void ShowPage(HWND window, int page) {
    g_wizard.page = page;
    g_wizard.pageShownAt = GetTickCount();
    g_wizard.frame = 0;
    if (g_wizard.loadMs > 0 || g_wizard.animateForever) SetTimer(window, kTimerAnimate, kAnimateMs, nullptr);
    InvalidateRect(window, nullptr, TRUE);
}

void Press(HWND window, int control) {
    if (control == 2 && g_wizard.page == 1) g_wizard.shortcut = !g_wizard.shortcut;
    if (control == 2 && g_wizard.page == 2) g_wizard.dictionaries = !g_wizard.dictionaries;
    if (control == 1 && g_wizard.page < 3) return ShowPage(window, g_wizard.page + 1);
    if (control == 1) {
        if (!WriteResult()) {
            MessageBoxW(window, L"Не удалось записать result.txt", L"Ошибка", MB_ICONERROR);
            PostQuitMessage(kExitFailed);
            return;
        }
        g_wizard.finished = true;
        DestroyWindow(window);
        return;
    }
    InvalidateRect(window, nullptr, TRUE);
}

int ControlAt(int x, int y) {
    if (Inside(kButton, x, y)) return 1;
    if (g_wizard.page < 3 && Inside(kCheckBox, x, y)) return 2;
    return 0;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
    switch (message) {
        case WM_PAINT:
            Paint(window);
            return 0;
        case WM_TIMER:
            ++g_wizard.frame;
            if (!Loading()) KillTimer(window, kTimerAnimate);
            InvalidateRect(window, nullptr, TRUE);
            return 0;
        case WM_LBUTTONDOWN:
            if (g_wizard.deafPresses > 0) {
                --g_wizard.deafPresses;
                g_wizard.pressedOn = 0;
                return 0;
            }
            g_wizard.pressedOn = PressesIgnored() ? 0 : ControlAt(x, y);
            if (g_wizard.pressedOn != 0) SetCapture(window);
            InvalidateRect(window, nullptr, TRUE);
            return 0;
        case WM_LBUTTONUP: {
            const int pressed = g_wizard.pressedOn;
            g_wizard.pressedOn = 0;
            if (GetCapture() == window) ReleaseCapture();
            if (pressed != 0 && ControlAt(x, y) == pressed) {
                Press(window, pressed);
            } else {
                InvalidateRect(window, nullptr, TRUE);
            }
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(g_wizard.finished ? kExitInstalled : kExitClosed);
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}


// The options, each before /D=, which takes the rest of the line.
bool ReadCommandLine(const wchar_t* line) {
    std::wstring rest = line;
    while (!rest.empty()) {
        if (!SkipSpaces(rest)) break;
        if (TakeFolderOption(rest, g_wizard.folder)) {
            break;
        }
        const size_t end = rest.find(L' ');
        const std::wstring option = rest.substr(0, end);
        rest = end == std::wstring::npos ? L"" : rest.substr(end);
        if (StartsWith(option, L"/LOAD=")) {
            g_wizard.loadMs = wcstoul(option.c_str() + 6, nullptr, 10);
        } else if (StartsWith(option, L"/DEAF=")) {
            g_wizard.deafPresses = wcstoul(option.c_str() + 6, nullptr, 10);
        } else if (option == L"/ANIMATE") {
            g_wizard.animateForever = true;
        } else if (StartsWith(option, L"/CLASS=")) {
            g_wizard.className = option.substr(7);
        } else if (option == L"/S") {
            g_wizard.silent = true;
        } else {
            return false;
        }
    }
    return !g_wizard.folder.empty();
}

std::wstring ClassNameOfThisRun() {
    if (!g_wizard.className.empty()) return g_wizard.className;
    GUID guid;
    wchar_t text[64] = L"";
    if (FAILED(CoCreateGuid(&guid)) || StringFromGUID2(guid, text, 64) == 0) {
        wsprintfW(text, L"{%08lX}", GetTickCount() ^ GetCurrentProcessId());
    }
    return std::wstring(L"DrawnWizard[") + text + L"]";
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int show) {
    if (!ReadCommandLine(commandLine)) {
        MessageBoxW(nullptr, L"drawn_wizard.exe [/LOAD=<мс>] [/ANIMATE] [/DEAF=<n>] [/CLASS=<класс>] [/S] /D=<папка>",
                    L"Установка",
                    MB_ICONERROR);
        return kExitUsage;
    }
    if (g_wizard.silent) return WriteResult() ? kExitInstalled : kExitFailed;
    const std::wstring className = ClassNameOfThisRun();
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = className.c_str();
    if (!RegisterClassW(&wc)) return kExitFailed;
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRect(&frame, style, FALSE);
    HWND window = CreateWindowW(className.c_str(), L"Установка Рисованный мастер", style,
                                CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                                frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (!window) return kExitFailed;
    ShowWindow(window, show);
    ShowPage(window, 1);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
