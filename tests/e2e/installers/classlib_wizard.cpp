// A setup wizard of the shape that class-library setups have (Delphi's VCL,
// as Inno Setup's own wizard is made), for the end-to-end tests of recording
// and playback:
// - started as it is, it is a loader: it copies itself into a temporary
//   folder, runs the copy with /WIZARD and the same options, waits for it and
//   exits with its code;
// - a hidden zero-size application window ("TApplication") owns the form
//   ("TWizardForm", caption "Установка — <product>");
// - the controls are superclasses of the system's under the library's own
//   names: TNewButton, TNewRadioButton, TNewCheckBox, TEdit, and the
//   components are an owner-drawn list ("TNewCheckListBox") whose items have
//   no windows;
// - every page is a child panel ("TNewNotebookPage") made at start, and the
//   one shown is raised in front of the others: nothing is shown or hidden;
//   the pages' texts are drawn, not windows;
// - Next keeps its handle and reads "&Установить" on the ready page and
//   "&Завершить" on the last.
//
//   classlib_wizard.exe [/PRODUCT=<name>] [/D=<folder>]
//
// Pages: welcome; licence (Next waits for "Я принимаю"); folder (a field,
// the product under Program Files unless /D= names one); components ("Основные
// файлы" fixed, "Справка" ticked, "Примеры" clear; a press on an item toggles
// it); ready; installing (a second, buttons disabled, readme.txt written);
// finish (check box "Запустить программу", clear). "Завершить" writes
// <folder>\result.txt ("help=0|1", "examples=0|1", "run=0|1", a line each)
// and exits with 0. /D= is last on the line and unquoted.
// Exit codes: 0 installed, 1 cancelled or closed, 2 a bad command line,
// 3 the files could not be written or the loader could not run the wizard.

#include <windows.h>

#include <string>

#include "wizard_support.h"
#include <vector>

namespace {

constexpr int kExitInstalled = 0;
constexpr int kExitClosed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitFailed = 3;

enum Page { kWelcome, kLicence, kFolder, kComponents, kReady, kInstalling, kFinish, kPageCount };
enum Control { kBack = 101, kNext, kCancel, kAccept, kDecline, kFolderField, kComponentList, kRun };
constexpr UINT_PTR kInstallTimer = 1;
constexpr UINT kInstallMs = 1000;
constexpr int kFormWidth = 497, kFormHeight = 360;  // client
constexpr int kPageHeight = 300;

const wchar_t* const kHeadings[kPageCount] = {
    L"Вас приветствует Мастер установки", L"Лицензионное соглашение", L"Выбор папки установки",
    L"Выбор компонентов", L"Всё готово к установке", L"Установка...",
    L"Завершение Мастера установки"};
const wchar_t* const kComponentNames[] = {L"Основные файлы", L"Справка", L"Примеры"};

struct Wizard {
    std::wstring product = L"Демо Библиотека";
    std::wstring folder;
    std::wstring options;  // as given, for the copy the loader runs
    bool isWizard = false;
    HINSTANCE instance = nullptr;
    HWND form = nullptr, back = nullptr, next = nullptr, cancel = nullptr;
    HWND accept = nullptr, field = nullptr, list = nullptr, run = nullptr;
    HWND pages[kPageCount] = {};
    int page = kWelcome;
    bool ticked[3] = {true, true, false};
    bool finished = false;
};

Wizard g_wizard;

// The system class each of the library's controls is made from, and its
// procedure, which the superclass hands every message to.
struct Superclass {
    const wchar_t* name;
    const wchar_t* base;
    WNDPROC baseProc = nullptr;
};
Superclass g_superclasses[] = {{L"TNewButton", L"BUTTON"},      {L"TNewRadioButton", L"BUTTON"},
                               {L"TNewCheckBox", L"BUTTON"},    {L"TEdit", L"EDIT"},
                               {L"TNewCheckListBox", L"LISTBOX"}};

LRESULT CALLBACK SuperclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

WNDPROC BaseProcOf(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    for (const Superclass& s : g_superclasses) {
        if (lstrcmpiW(name, s.name) == 0) return s.baseProc;
    }
    return DefWindowProcW;
}

bool RegisterSuperclasses() {
    for (Superclass& s : g_superclasses) {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        if (!GetClassInfoExW(nullptr, s.base, &wc)) return false;
        s.baseProc = wc.lpfnWndProc;
        wc.lpfnWndProc = SuperclassProc;
        wc.hInstance = g_wizard.instance;
        wc.lpszClassName = s.name;
        if (!RegisterClassExW(&wc)) return false;
    }
    return true;
}

// A press on an item of the components list toggles its box; the first item
// cannot be cleared.
void ToggleComponentAt(HWND list, LPARAM point) {
    const LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, point);
    const int item = LOWORD(hit);
    if (HIWORD(hit) != 0 || item <= 0 || item >= 3) return;
    g_wizard.ticked[item] = !g_wizard.ticked[item];
    InvalidateRect(list, nullptr, TRUE);
}

LRESULT CALLBACK SuperclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN && window == g_wizard.list) ToggleComponentAt(window, lParam);
    return CallWindowProcW(BaseProcOf(window), window, message, wParam, lParam);
}

void DrawComponent(const DRAWITEMSTRUCT& item) {
    if (item.itemID >= 3) return;
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
    RECT box = {r.left + 2, r.top + 2, r.left + 14, r.top + 14};
    FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (g_wizard.ticked[item.itemID]) {
        RECT mark = {box.left + 3, box.top + 3, box.right - 3, box.bottom - 3};
        FillRect(dc, &mark, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    SetBkMode(dc, TRANSPARENT);
    RECT text = {r.left + 20, r.top, r.right, r.bottom};
    DrawTextW(dc, kComponentNames[item.itemID], -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}

void PaintPage(HWND page) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(page, &ps);
    RECT client;
    GetClientRect(page, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    const int index = static_cast<int>(GetWindowLongPtrW(page, GWLP_USERDATA));
    std::wstring heading = kHeadings[index];
    if (index == kWelcome || index == kFinish) heading += L" " + g_wizard.product;
    RECT line = {20, 16, client.right - 20, 40};
    DrawTextW(dc, heading.c_str(), -1, &line, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    EndPaint(page, &ps);
}

// The pages hand the notices of their controls on to the form, as the
// library's controls hand theirs to the form that owns them.
LRESULT CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: PaintPage(page); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_COMMAND: return SendMessageW(g_wizard.form, message, wParam, lParam);
        case WM_DRAWITEM: DrawComponent(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam)); return TRUE;
        case WM_MEASUREITEM: reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = 18; return TRUE;
    }
    return DefWindowProcW(page, message, wParam, lParam);
}

HWND AddControl(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id,
                RECT r) {
    HWND w = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, r.left,
                             r.top, r.right - r.left, r.bottom - r.top, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), g_wizard.instance,
                             nullptr);
    SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return w;
}

void MakePages() {
    for (int i = 0; i < kPageCount; ++i) {
        // Made last to first: the first page ends up in front.
        const int index = kPageCount - 1 - i;
        HWND page = CreateWindowExW(WS_EX_CONTROLPARENT, L"TNewNotebookPage", L"",
                                    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                                    kFormWidth, kPageHeight, g_wizard.form, nullptr,
                                    g_wizard.instance, nullptr);
        SetWindowLongPtrW(page, GWLP_USERDATA, index);
        SetWindowPos(page, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        g_wizard.pages[index] = page;
    }
    HWND licence = g_wizard.pages[kLicence];
    g_wizard.accept = AddControl(licence, L"TNewRadioButton", L"Я &принимаю условия соглашения",
                                 BS_AUTORADIOBUTTON | WS_GROUP, kAccept, {20, 200, 400, 220});
    HWND decline = AddControl(licence, L"TNewRadioButton", L"Я &не принимаю условия соглашения",
                              BS_AUTORADIOBUTTON, kDecline, {20, 225, 400, 245});
    SendMessageW(decline, BM_SETCHECK, BST_CHECKED, 0);
    g_wizard.field = AddControl(g_wizard.pages[kFolder], L"TEdit", g_wizard.folder.c_str(),
                                WS_BORDER | ES_AUTOHSCROLL, kFolderField, {20, 80, 420, 101});
    g_wizard.list = AddControl(g_wizard.pages[kComponents], L"TNewCheckListBox", L"",
                               WS_BORDER | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY,
                               kComponentList, {20, 80, 420, 160});
    for (const wchar_t* name : kComponentNames) {
        SendMessageW(g_wizard.list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    g_wizard.run = AddControl(g_wizard.pages[kFinish], L"TNewCheckBox", L"&Запустить программу",
                              BS_AUTOCHECKBOX, kRun, {20, 200, 400, 220});
}



std::wstring FieldText() {
    wchar_t text[MAX_PATH] = L"";
    GetWindowTextW(g_wizard.field, text, MAX_PATH);
    return text;
}

bool WriteResult() {
    const bool run = SendMessageW(g_wizard.run, BM_GETCHECK, 0, 0) == BST_CHECKED;
    std::string body = std::string("help=") + (g_wizard.ticked[1] ? "1" : "0") +
                       "\r\nexamples=" + (g_wizard.ticked[2] ? "1" : "0") +
                       "\r\nrun=" + (run ? "1" : "0") + "\r\n";
    return WriteFileText(FieldText() + L"\\result.txt", body);
}

void Fail() {
    MessageBoxW(g_wizard.form, L"Не удалось записать файлы", L"Ошибка", MB_ICONERROR);
    PostQuitMessage(kExitFailed);
}

// The page raised, the buttons told what they do now; no window is shown or
// hidden, and Next is the same window throughout.
void ShowPage(int page) {
    g_wizard.page = page;
    SetWindowPos(g_wizard.pages[page], HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    InvalidateRect(g_wizard.pages[page], nullptr, TRUE);
    const wchar_t* next = page == kReady ? L"&Установить" : page == kFinish ? L"&Завершить" : L"&Далее >";
    SetWindowTextW(g_wizard.next, next);
    const bool accepted = SendMessageW(g_wizard.accept, BM_GETCHECK, 0, 0) == BST_CHECKED;
    EnableWindow(g_wizard.next, page != kInstalling && (page != kLicence || accepted));
    EnableWindow(g_wizard.back, page != kWelcome && page < kInstalling);
    EnableWindow(g_wizard.cancel, page != kFinish);
    if (page == kInstalling) SetTimer(g_wizard.form, kInstallTimer, kInstallMs, nullptr);
}

void Install() {
    KillTimer(g_wizard.form, kInstallTimer);
    const std::wstring folder = FieldText();
    MakeFolders(folder);
    if (!WriteFileText(folder + L"\\readme.txt", "Демо Библиотека\r\n")) return Fail();
    ShowPage(kFinish);
}

void OnCommand(int id, int notice) {
    if (notice != BN_CLICKED) return;
    switch (id) {
        case kNext:
            if (g_wizard.page == kFinish) {
                if (!WriteResult()) return Fail();
                g_wizard.finished = true;
                DestroyWindow(g_wizard.form);
            } else {
                ShowPage(g_wizard.page + 1);
            }
            break;
        case kBack:
            if (g_wizard.page > kWelcome) ShowPage(g_wizard.page - 1);
            break;
        case kCancel: DestroyWindow(g_wizard.form); break;
        case kAccept:
        case kDecline: ShowPage(g_wizard.page); break;
    }
}

LRESULT CALLBACK FormProc(HWND form, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
        case WM_TIMER: Install(); return 0;
        case WM_CLOSE:
            if (g_wizard.page != kInstalling) DestroyWindow(form);
            return 0;
        case WM_DESTROY: PostQuitMessage(g_wizard.finished ? kExitInstalled : kExitClosed); return 0;
    }
    return DefWindowProcW(form, message, wParam, lParam);
}

bool RegisterWindowClass(const wchar_t* name, WNDPROC proc) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = g_wizard.instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = name;
    return RegisterClassW(&wc) != 0;
}

int RunWizard(int show) {
    if (!RegisterSuperclasses() || !RegisterWindowClass(L"TApplication", DefWindowProcW) ||
        !RegisterWindowClass(L"TWizardForm", FormProc) ||
        !RegisterWindowClass(L"TNewNotebookPage", PageProc)) {
        return kExitFailed;
    }
    HWND application = CreateWindowW(L"TApplication", g_wizard.product.c_str(),
                                     WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0, nullptr,
                                     nullptr, g_wizard.instance, nullptr);
    // A dialog-style form: a pop-up, so GetParent gives its owner.
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    RECT frame = {0, 0, kFormWidth, kFormHeight};
    AdjustWindowRect(&frame, style, FALSE);
    const std::wstring caption = L"Установка — " + g_wizard.product;
    g_wizard.form = CreateWindowExW(WS_EX_CONTROLPARENT, L"TWizardForm", caption.c_str(), style,
                                    CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                                    frame.bottom - frame.top, application, nullptr,
                                    g_wizard.instance, nullptr);
    if (!application || !g_wizard.form) return kExitFailed;
    const int top = kPageHeight + 22;
    g_wizard.back = AddControl(g_wizard.form, L"TNewButton", L"< &Назад", BS_PUSHBUTTON, kBack,
                               {232, top, 307, top + 23});
    g_wizard.next = AddControl(g_wizard.form, L"TNewButton", L"&Далее >", BS_PUSHBUTTON, kNext,
                               {312, top, 387, top + 23});
    g_wizard.cancel = AddControl(g_wizard.form, L"TNewButton", L"Отмена", BS_PUSHBUTTON, kCancel,
                                 {402, top, 477, top + 23});
    MakePages();
    ShowPage(kWelcome);
    ShowWindow(g_wizard.form, show);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(g_wizard.form, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

// The loader: the wizard runs from a copy in a temporary folder, as
// class-library setups unpack theirs, and its exit code is the setup's.
int RunFromTemporaryCopy() {
    wchar_t self[MAX_PATH], temp[MAX_PATH];
    if (!GetModuleFileNameW(nullptr, self, MAX_PATH) || !GetTempPathW(MAX_PATH, temp)) {
        return kExitFailed;
    }
    const std::wstring folder = std::wstring(temp) + L"cl-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    const std::wstring copy = folder + L"\\setup.tmp";
    CreateDirectoryW(folder.c_str(), nullptr);
    if (!CopyFileW(self, copy.c_str(), FALSE)) return kExitFailed;
    std::wstring line = L"\"" + copy + L"\" /WIZARD " + g_wizard.options;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    DWORD code = kExitFailed;
    if (CreateProcessW(copy.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &si, &pi)) {
        WaitForSingleObject(pi.hProcess, INFINITE);
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    DeleteFileW(copy.c_str());
    RemoveDirectoryW(folder.c_str());
    return static_cast<int>(code);
}


bool ReadCommandLine(const wchar_t* line) {
    std::wstring rest = line;
    while (!rest.empty()) {
        if (!SkipSpaces(rest)) break;
        if (TakeFolderOption(rest, g_wizard.folder)) {
            g_wizard.options += rest;
            break;
        }
        // An option in quotes may hold spaces: "/PRODUCT=Демо Библиотека".
        const bool quoted = rest[0] == L'"';
        const size_t end = quoted ? rest.find(L'"', 1) : rest.find(L' ');
        if (quoted && end == std::wstring::npos) return false;
        const std::wstring option = quoted ? rest.substr(1, end - 1) : rest.substr(0, end);
        const std::wstring given = quoted ? rest.substr(0, end + 1) : option;
        rest = end == std::wstring::npos ? L"" : rest.substr(end + (quoted ? 1 : 0));
        if (option == L"/WIZARD") {
            g_wizard.isWizard = true;
            continue;
        }
        if (!StartsWith(option, L"/PRODUCT=") || option.size() == 9) return false;
        g_wizard.product = option.substr(9);
        g_wizard.options += given + L" ";
    }
    return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int show) {
    g_wizard.instance = instance;
    if (!ReadCommandLine(commandLine)) {
        MessageBoxW(nullptr, L"classlib_wizard.exe [/PRODUCT=<имя>] [/D=<папка>]", L"Установка",
                    MB_ICONERROR);
        return kExitUsage;
    }
    if (!g_wizard.isWizard) return RunFromTemporaryCopy();
    if (g_wizard.folder.empty()) {
        wchar_t programs[MAX_PATH] = L"C:\\Program Files";
        GetEnvironmentVariableW(L"ProgramFiles", programs, MAX_PATH);
        g_wizard.folder = std::wstring(programs) + L"\\" + g_wizard.product;
    }
    return RunWizard(show);
}
