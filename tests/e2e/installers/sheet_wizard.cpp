// A small Russian setup wizard built on the system property sheet
// (PropertySheetW with PSH_WIZARD), for the end-to-end tests of playback and
// recording: welcome, licence, folder and finish pages inside the sheet's
// own #32770 window, whose buttons ("< &Назад", "&Далее >", "Готово",
// "Отмена") the sheet manages.
//
//   sheet_wizard.exe [/PRODUCT=<name>] [/S] [/D=<folder>]
//
// /PRODUCT=  the product name (default SHEET_PRODUCT): the caption is
//            "Установка <product>" on every page, the default folder is
//            <Program Files>\<product>
// /S         installs without any window into the default folder or /D=
// /D=        the install folder; last on the line and unquoted, as it may
//            hold spaces (also fills the folder page of the wizard)
//
// Next on the licence page stays disabled until the check box "Я принимаю
// условия соглашения" is ticked. Готово on the last page installs: creates
// the folder and writes readme.txt there. Exit codes: 0 installed, 1 the
// wizard was cancelled or closed (nothing written), 2 a bad command line,
// 3 the install failed (silent mode; the wizard says why and stays open).

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <shlobj.h>
#include <shellapi.h>

#include <string>
#include <vector>

#ifndef SHEET_PRODUCT
#define SHEET_PRODUCT L"Demo Sheet"
#endif

namespace {

constexpr int kExitInstalled = 0;
constexpr int kExitCancelled = 1;
constexpr int kExitUsage = 2;
constexpr int kExitFailed = 3;

constexpr WORD kIdAccept = 1001;
constexpr WORD kIdFolder = 1002;
constexpr WORD kIdSummary = 1003;

// The wizard page size in dialog units, as the system's wizards have it.
constexpr short kPageWidth = 276;
constexpr short kPageHeight = 140;

struct Setup {
    std::wstring product = SHEET_PRODUCT;
    std::wstring folder;  // the default folder, then the one chosen
    bool silent = false;
    bool installed = false;
};

Setup g_setup;

std::wstring caption() { return L"Установка " + g_setup.product; }

// -- dialog templates built in memory ------------------------------------------

// A DLGTEMPLATE with its items, as the resource compiler would lay it out.
class Template {
public:
    explicit Template(const std::wstring& title) {
        dword(DS_SETFONT | DS_CONTROL | WS_CHILD | WS_DISABLED | WS_CAPTION);
        dword(0);
        count_at_ = words_.size();
        word(0);
        word(0), word(0), word(kPageWidth), word(kPageHeight);
        word(0);  // no menu
        word(0);  // the standard dialog class
        text(title);
        word(8);
        text(L"MS Shell Dlg");
    }

    // `kind`: 0x0080 button, 0x0081 edit, 0x0082 static.
    Template& item(WORD kind, DWORD style, short x, short y, short cx, short cy, WORD id,
                   const std::wstring& title) {
        while (words_.size() % 2) word(0);  // each item starts on a DWORD
        dword(style | WS_CHILD | WS_VISIBLE);
        dword(0);
        word(x), word(y), word(cx), word(cy), word(id);
        word(0xFFFF), word(kind);
        text(title);
        word(0);  // no creation data
        ++words_[count_at_];
        return *this;
    }

    Template& label(short y, short cy, const std::wstring& title) {
        return item(0x0082, SS_LEFT, 7, y, kPageWidth - 14, cy, 0xFFFF, title);
    }

    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void word(WORD value) { words_.push_back(value); }
    void dword(DWORD value) { word(LOWORD(value)), word(HIWORD(value)); }
    void text(const std::wstring& value) {
        words_.insert(words_.end(), value.begin(), value.end());
        word(0);
    }

    std::vector<WORD> words_;
    size_t count_at_ = 0;
};

// -- installing ------------------------------------------------------------------

bool absolute_folder(const std::wstring& folder) {
    bool drive = folder.size() >= 3 && iswalpha(folder[0]) && folder[1] == L':' &&
                 folder[2] == L'\\';
    bool share = folder.size() > 2 && folder[0] == L'\\' && folder[1] == L'\\';
    return drive || share;
}

std::wstring trimmed(std::wstring text) {
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\t')) text.pop_back();
    size_t start = text.find_first_not_of(L" \t");
    text.erase(0, start == std::wstring::npos ? text.size() : start);
    while (text.size() > 3 && text.back() == L'\\') text.pop_back();
    return text;
}

std::string utf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0,
                                   nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), out.data(), size, nullptr,
                        nullptr);
    return out;
}

std::wstring system_message(DWORD code) {
    wchar_t* buffer = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = buffer ? trimmed(buffer) : L"ошибка " + std::to_wstring(code);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n')) text.pop_back();
    return text;
}

// Creates the folder and writes readme.txt; on failure, why (else empty).
std::wstring install(const std::wstring& folder) {
    int made = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS && made != ERROR_FILE_EXISTS)
        return L"не удалось создать папку " + folder + L": " + system_message(made);
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return folder + L" — не папка";
    std::wstring path = folder + L"\\readme.txt";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return L"не удалось записать " + path + L": " + system_message(GetLastError());
    std::string body = utf8(g_setup.product + L" установлена в папку " + folder + L"\r\n");
    DWORD written = 0;
    bool ok = WriteFile(file, body.data(), DWORD(body.size()), &written, nullptr) &&
              written == body.size();
    DWORD error = GetLastError();
    ok = CloseHandle(file) && ok;
    if (!ok) {
        DeleteFileW(path.c_str());
        return L"не удалось записать " + path + L": " + system_message(error);
    }
    return {};
}

// -- the pages ---------------------------------------------------------------------

void set_result(HWND page, LONG_PTR result) { SetWindowLongPtrW(page, DWLP_MSGRESULT, result); }

void fail(HWND owner, const std::wstring& text) {
    MessageBoxW(owner, text.c_str(), caption().c_str(), MB_OK | MB_ICONERROR);
}

INT_PTR CALLBACK welcome_page(HWND page, UINT message, WPARAM, LPARAM lparam) {
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lparam)->code == PSN_SETACTIVE) {
        PropSheet_SetWizButtons(GetParent(page), PSWIZB_NEXT);
        set_result(page, 0);
        return TRUE;
    }
    return FALSE;
}

void update_licence_buttons(HWND page) {
    bool accepted = IsDlgButtonChecked(page, kIdAccept) == BST_CHECKED;
    PropSheet_SetWizButtons(GetParent(page), PSWIZB_BACK | (accepted ? PSWIZB_NEXT : 0));
}

INT_PTR CALLBACK licence_page(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COMMAND && LOWORD(wparam) == kIdAccept && HIWORD(wparam) == BN_CLICKED) {
        update_licence_buttons(page);
        return TRUE;
    }
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lparam)->code == PSN_SETACTIVE) {
        update_licence_buttons(page);
        set_result(page, 0);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK folder_page(HWND page, UINT message, WPARAM, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        SetDlgItemTextW(page, kIdFolder, g_setup.folder.c_str());
        return TRUE;
    }
    if (message != WM_NOTIFY) return FALSE;
    switch (reinterpret_cast<NMHDR*>(lparam)->code) {
    case PSN_SETACTIVE:
        PropSheet_SetWizButtons(GetParent(page), PSWIZB_BACK | PSWIZB_NEXT);
        set_result(page, 0);
        return TRUE;
    case PSN_WIZNEXT: {
        wchar_t text[MAX_PATH + 2] = {};
        GetDlgItemTextW(page, kIdFolder, text, MAX_PATH + 2);
        std::wstring folder = trimmed(text);
        if (!absolute_folder(folder) || folder.size() > MAX_PATH - 12) {
            fail(GetParent(page), L"Укажите полный путь к папке установки, например "
                                  L"C:\\Program Files\\" + g_setup.product + L".");
            set_result(page, -1);  // stay on this page
            return TRUE;
        }
        g_setup.folder = folder;
        set_result(page, 0);
        return TRUE;
    }
    }
    return FALSE;
}

INT_PTR CALLBACK finish_page(HWND page, UINT message, WPARAM, LPARAM lparam) {
    if (message != WM_NOTIFY) return FALSE;
    switch (reinterpret_cast<NMHDR*>(lparam)->code) {
    case PSN_SETACTIVE: {
        std::wstring summary = L"Программа " + g_setup.product + L" будет установлена в папку " +
                               g_setup.folder + L". Нажмите «Готово», чтобы установить её.";
        SetDlgItemTextW(page, kIdSummary, summary.c_str());
        PropSheet_SetWizButtons(GetParent(page), PSWIZB_BACK | PSWIZB_FINISH);
        set_result(page, 0);
        return TRUE;
    }
    case PSN_WIZFINISH: {
        std::wstring error = install(g_setup.folder);
        if (!error.empty()) {
            fail(GetParent(page), L"Установка не выполнена: " + error + L".");
            set_result(page, TRUE);  // the wizard stays open: Back leads to another folder
            return TRUE;
        }
        g_setup.installed = true;
        set_result(page, FALSE);
        return TRUE;
    }
    }
    return FALSE;
}

int run_wizard(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    std::wstring title = caption();
    std::wstring product = g_setup.product;

    Template welcome(title), licence(title), folder(title), finish(title);
    welcome.label(7, 20, L"Вас приветствует мастер установки " + product)
        .label(34, 40, L"Программа установит " + product +
                           L" на ваш компьютер. Нажмите «Далее», чтобы продолжить.");
    licence.label(7, 12, L"Лицензионное соглашение")
        .label(24, 70, L"Эта программа — учебный пример. Её можно устанавливать, копировать и "
                       L"удалять сколько угодно раз. Она ничего не делает, кроме файла "
                       L"readme.txt в выбранной папке.")
        .item(0x0080, BS_AUTOCHECKBOX | WS_TABSTOP, 7, 110, kPageWidth - 14, 12, kIdAccept,
              L"Я принимаю условия соглашения");
    folder.label(7, 12, L"Папка установки")
        .label(24, 12, L"Программа будет установлена в папку:")
        .item(0x0081, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 40, kPageWidth - 14, 14,
              kIdFolder, L"");
    finish.label(7, 12, L"Всё готово к установке")
        .item(0x0082, SS_LEFT, 7, 24, kPageWidth - 14, 60, kIdSummary, L"");

    struct Page {
        const Template& form;
        DLGPROC proc;
    } pages[] = {{welcome, welcome_page}, {licence, licence_page}, {folder, folder_page},
                 {finish, finish_page}};
    HPROPSHEETPAGE handles[4];
    for (int i = 0; i < 4; ++i) {
        PROPSHEETPAGEW sheet_page = {};
        sheet_page.dwSize = sizeof sheet_page;
        sheet_page.dwFlags = PSP_DLGINDIRECT | PSP_USETITLE;
        sheet_page.hInstance = instance;
        sheet_page.pResource = pages[i].form.get();
        sheet_page.pfnDlgProc = pages[i].proc;
        sheet_page.pszTitle = title.c_str();
        handles[i] = CreatePropertySheetPageW(&sheet_page);
        if (!handles[i]) return kExitFailed;
    }
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_WIZARD;
    header.hInstance = instance;
    header.pszCaption = title.c_str();
    header.nPages = 4;
    header.phpage = handles;
    if (PropertySheetW(&header) < 0) return kExitFailed;
    return g_setup.installed ? kExitInstalled : kExitCancelled;
}

// -- the command line ----------------------------------------------------------------

const wchar_t* skip_program_name(const wchar_t* line) {
    if (*line == L'"') {
        ++line;
        while (*line && *line != L'"') ++line;
        if (*line) ++line;
    } else {
        while (*line && *line != L' ' && *line != L'\t') ++line;
    }
    while (*line == L' ' || *line == L'\t') ++line;
    return line;
}

bool starts_with_option(const std::wstring& text, const wchar_t* option) {
    size_t size = wcslen(option);
    return text.size() >= size && CompareStringOrdinal(text.c_str(), int(size), option,
                                                       int(size), TRUE) == CSTR_EQUAL;
}

// Reads the options into g_setup; on a bad line, what is wrong (else empty).
std::wstring parse(const wchar_t* line) {
    std::wstring rest = skip_program_name(line);
    std::wstring folder;
    bool named_folder = false;
    // /D= takes the rest of the line, as it may hold spaces.
    for (size_t at = 0; (at = rest.find(L"/", at)) != std::wstring::npos; ++at) {
        if ((at == 0 || rest[at - 1] == L' ' || rest[at - 1] == L'\t') &&
            starts_with_option(rest.substr(at), L"/D=")) {
            folder = trimmed(rest.substr(at + 3));
            named_folder = true;
            rest.erase(at);
            break;
        }
    }
    int count = 0;
    std::wstring words = L"setup " + rest;
    wchar_t** args = CommandLineToArgvW(words.c_str(), &count);
    if (!args) return L"не удалось разобрать командную строку";
    std::wstring problem;
    for (int i = 1; i < count; ++i) {  // on to the end: /S may come after a bad word
        std::wstring arg = args[i];
        if (CompareStringOrdinal(arg.c_str(), -1, L"/S", -1, TRUE) == CSTR_EQUAL) {
            g_setup.silent = true;
        } else if (starts_with_option(arg, L"/PRODUCT=") && arg.size() > 9) {
            g_setup.product = arg.substr(9);
        } else if (problem.empty()) {
            problem = L"неизвестный параметр " + arg;
        }
    }
    LocalFree(args);
    if (!problem.empty()) return problem;
    // Checked once /S is known: a silent setup shows no message.
    if (named_folder && !absolute_folder(folder))
        return L"/D= должен задавать полный путь к папке";
    if (folder.empty()) {
        wchar_t programs[MAX_PATH] = {};
        if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, programs)))
            wcscpy(programs, L"C:\\Program Files");
        folder = std::wstring(programs) + L"\\" + g_setup.product;
    }
    g_setup.folder = folder;
    return {};
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    std::wstring problem = parse(GetCommandLineW());
    if (!problem.empty()) {
        if (!g_setup.silent) {
            std::wstring text = L"Ошибка в командной строке: " + problem +
                                L".\n\nsheet_wizard.exe [/PRODUCT=<имя>] [/S] [/D=<папка>]";
            MessageBoxW(nullptr, text.c_str(), caption().c_str(), MB_OK | MB_ICONERROR);
        }
        return kExitUsage;
    }
    if (g_setup.silent) return install(g_setup.folder).empty() ? kExitInstalled : kExitFailed;
    return run_wizard(instance);
}
