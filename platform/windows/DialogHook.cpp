// The test hook on real Win32. The system's own message boxes and file dialogs come up
// and do their own work; the hook only stands in for the user's hands. While a
// DialogAnswers lives, this program's import table routes MessageBoxA, GetOpenFileNameA
// and GetSaveFileNameA through recorders that note what the call asked and what it
// returned, and a hook on window activation in this thread answers each message box and
// file dialog that comes up: it presses the queued button, or types the queued file name
// and presses Open/Save, or presses Cancel. What the dialog then does with the name
// (the default extension, the overwrite question, refusing a missing file) is the
// system's doing.
#include "platform/Win32TestHook.h"

#include <cassert>
#include <cstring>
#include <deque>
#include <map>
#include <optional>
#include <set>

#include "platform/FileFilters.h"

namespace {

using MessageBoxFunction = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT);
using FileDialogFunction = BOOL(WINAPI*)(LPOPENFILENAMEA);

// The dialog manager's identifiers: the file name field (a combo box in the Explorer
// style dialog, an edit in the older one) and the text of a message box.
constexpr int fileNameCombo = 0x47C;
constexpr int fileNameEdit = 0x480;
constexpr int messageText = 0xFFFF;

// A message box is answered as soon as it is up; a file dialog looks for its next
// answer at this interval while it is up and no message box of its own is in front.
constexpr UINT_PTR answerTimer = 0x5A4B;
constexpr UINT fileDialogTick = 30;

struct ImportSlot {
    void** slot;
    void* original;
};

struct HookState {
    std::deque<int> messageBoxAnswers;
    std::deque<std::optional<std::string>> fileAnswers; // nullopt: Cancel
    std::vector<win32test::MessageBoxRecord> messageBoxes;
    std::vector<win32test::FileDialogRecord> fileDialogs;

    MessageBoxFunction systemMessageBoxA = nullptr;
    FileDialogFunction systemGetOpenFileNameA = nullptr;
    FileDialogFunction systemGetSaveFileNameA = nullptr;
    std::vector<ImportSlot> replaced;
    HHOOK activationHook = nullptr;

    std::map<HWND, std::size_t> boxesUp; // message box -> its record
    std::set<HWND> fileDialogsUp;
    std::string fileDialogCaption; // of the file dialog the current call showed
};

HookState* hook = nullptr;

std::string windowText(HWND window)
{
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool isDialogWindow(HWND window)
{
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    return std::strcmp(className, "#32770") == 0;
}

// The descendant of `window` with the identifier `id`, preferring an edit (the file
// name combo box holds one with the same identifier).
HWND descendantWithId(HWND window, int id)
{
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM data) -> BOOL {
            auto* search = reinterpret_cast<Search*>(data);
            if (GetDlgCtrlID(child) != search->id) {
                return TRUE;
            }
            char className[16] = {};
            GetClassNameA(child, className, sizeof className);
            if (search->found == nullptr || std::strcmp(className, "Edit") == 0) {
                search->found = child;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND fileNameField(HWND dialog)
{
    HWND field = descendantWithId(dialog, fileNameCombo);
    return field != nullptr ? field : descendantWithId(dialog, fileNameEdit);
}

void press(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The buttons of a message box of each type, in the order they stand.
struct BoxType {
    UINT type;
    std::vector<int> buttons;
};
const std::vector<BoxType>& boxTypes()
{
    static const std::vector<BoxType> types = {
        {MB_YESNOCANCEL, {IDYES, IDNO, IDCANCEL}},
        {MB_YESNO, {IDYES, IDNO}},
        {MB_ABORTRETRYIGNORE, {IDABORT, IDRETRY, IDIGNORE}},
        {MB_RETRYCANCEL, {IDRETRY, IDCANCEL}},
        {MB_OKCANCEL, {IDOK, IDCANCEL}},
        {MB_OK, {IDOK}},
    };
    return types;
}

bool isDefaultButton(HWND button)
{
    return button != nullptr && (GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

// The type a box shows by its buttons and its default button (a box the system itself
// shows, such as the overwrite question, is known only by what is on the screen).
UINT shownType(HWND box)
{
    for (const BoxType& candidate : boxTypes()) {
        bool all = true;
        for (int id : candidate.buttons) {
            all = all && GetDlgItem(box, id) != nullptr;
        }
        if (!all) {
            continue;
        }
        for (std::size_t index = 0; index < candidate.buttons.size(); ++index) {
            if (isDefaultButton(GetDlgItem(box, candidate.buttons[index]))) {
                return candidate.type | static_cast<UINT>(index << 8); // MB_DEFBUTTON1, 2, 3
            }
        }
        return candidate.type;
    }
    return MB_OK;
}

int defaultButton(HWND box)
{
    const UINT type = shownType(box);
    for (const BoxType& candidate : boxTypes()) {
        if (candidate.type == (type & MB_TYPEMASK)) {
            const auto index = static_cast<std::size_t>((type & MB_DEFMASK) >> 8);
            return candidate.buttons[index < candidate.buttons.size() ? index : 0];
        }
    }
    return IDOK;
}

void CALLBACK answerMessageBox(HWND box, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(box, timer);
    if (hook == nullptr || !hook->boxesUp.contains(box)) {
        return;
    }
    win32test::MessageBoxRecord& record = hook->messageBoxes[hook->boxesUp[box]];
    record.answered = !hook->messageBoxAnswers.empty();
    if (record.answered) {
        record.answer = hook->messageBoxAnswers.front();
        hook->messageBoxAnswers.pop_front();
    } else {
        record.answer = defaultButton(box);
    }
    press(box, record.answer);
}

void CALLBACK answerFileDialog(HWND dialog, UINT, UINT_PTR timer, DWORD)
{
    if (hook == nullptr) {
        KillTimer(dialog, timer);
        return;
    }
    // The dialog is still busy with the last answer while a box of its own is up.
    if (!hook->boxesUp.empty() || !IsWindowEnabled(dialog)) {
        return;
    }
    std::optional<std::string> answer;
    if (!hook->fileAnswers.empty()) {
        answer = hook->fileAnswers.front();
        hook->fileAnswers.pop_front();
    }
    HWND field = fileNameField(dialog);
    if (!answer || field == nullptr) {
        KillTimer(dialog, timer);
        press(dialog, IDCANCEL);
        return;
    }
    SetWindowTextA(field, answer->c_str());
    press(dialog, IDOK);
}

void noticeDialog(HWND window)
{
    if (!isDialogWindow(window) || hook->boxesUp.contains(window) || hook->fileDialogsUp.contains(window)) {
        return;
    }
    if (fileNameField(window) != nullptr) {
        hook->fileDialogsUp.insert(window);
        hook->fileDialogCaption = windowText(window);
        SetTimer(window, answerTimer, fileDialogTick, answerFileDialog);
        return;
    }
    HWND text = GetDlgItem(window, messageText);
    if (text == nullptr) {
        return;
    }
    win32test::MessageBoxRecord record;
    record.owner = GetWindow(window, GW_OWNER);
    record.text = windowText(text);
    record.caption = windowText(window);
    record.type = shownType(window);
    hook->boxesUp[window] = hook->messageBoxes.size();
    hook->messageBoxes.push_back(record);
    SetTimer(window, answerTimer, USER_TIMER_MINIMUM, answerMessageBox);
}

LRESULT CALLBACK watchDialogs(int code, WPARAM wParam, LPARAM lParam)
{
    if (hook != nullptr) {
        const auto window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_ACTIVATE) {
            noticeDialog(window);
        } else if (code == HCBT_DESTROYWND) {
            hook->boxesUp.erase(window);
            hook->fileDialogsUp.erase(window);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

int WINAPI recordedMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    HookState* const answering = hook;
    const std::size_t index = answering->messageBoxes.size();
    const int answer = answering->systemMessageBoxA(owner, text, caption, type);
    if (hook != answering) { // the answers were dropped while the box was up
        return answer;
    }
    if (hook->messageBoxes.size() == index) { // it never came up
        hook->messageBoxes.emplace_back();
    }
    // What the call asked is known exactly; a missing caption is the one the box showed.
    win32test::MessageBoxRecord& record = hook->messageBoxes[index];
    record.owner = owner;
    record.text = text != nullptr ? text : "";
    if (caption != nullptr) {
        record.caption = caption;
    }
    record.type = type;
    record.answer = answer;
    return answer;
}

BOOL recordFileDialog(FileDialogFunction system, LPOPENFILENAMEA ofn, bool save)
{
    win32test::FileDialogRecord record;
    record.save = save;
    if (ofn != nullptr) {
        record.owner = ofn->hwndOwner;
        record.title = ofn->lpstrTitle != nullptr ? ofn->lpstrTitle : "";
        record.filters = fileDialogFilters(ofn->lpstrFilter);
        record.defaultExtension = ofn->lpstrDefExt != nullptr ? ofn->lpstrDefExt : "";
        record.flags = ofn->Flags;
    }
    HookState* const answering = hook;
    answering->fileDialogCaption.clear();
    const BOOL chosen = system(ofn);
    if (hook != answering) {
        return chosen;
    }
    if (record.title.empty()) {
        record.title = hook->fileDialogCaption;
    }
    if (chosen && ofn->lpstrFile != nullptr) {
        record.result = ofn->lpstrFile;
    }
    hook->fileDialogs.push_back(record);
    return chosen;
}

BOOL WINAPI recordedGetOpenFileNameA(LPOPENFILENAMEA ofn)
{
    return recordFileDialog(hook->systemGetOpenFileNameA, ofn, false);
}

BOOL WINAPI recordedGetSaveFileNameA(LPOPENFILENAMEA ofn)
{
    return recordFileDialog(hook->systemGetSaveFileNameA, ofn, true);
}

void* systemFunction(const char* library, const char* name)
{
    HMODULE module = GetModuleHandleA(library);
    return module != nullptr ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
}

void writeSlot(void** slot, void* value)
{
    DWORD protection = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
    *slot = value;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
}

// Points every slot of this program's import table that holds `function` at
// `replacement`.
void replaceImport(void* function, void* replacement)
{
    if (function == nullptr) {
        return;
    }
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) {
        return;
    }
    for (auto* library = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         library->Name != 0; ++library) {
        for (auto* entry = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk); entry->u1.Function != 0;
             ++entry) {
            auto** slot = reinterpret_cast<void**>(&entry->u1.Function);
            if (*slot == function) {
                hook->replaced.push_back({slot, function});
                writeSlot(slot, replacement);
            }
        }
    }
}

} // namespace

namespace win32test {

DialogAnswers::DialogAnswers()
{
    assert(hook == nullptr && "only one DialogAnswers may live at a time");
    hook = new HookState;
    void* messageBox = systemFunction("user32.dll", "MessageBoxA");
    void* open = systemFunction("comdlg32.dll", "GetOpenFileNameA");
    void* save = systemFunction("comdlg32.dll", "GetSaveFileNameA");
    hook->systemMessageBoxA = reinterpret_cast<MessageBoxFunction>(messageBox);
    hook->systemGetOpenFileNameA = reinterpret_cast<FileDialogFunction>(open);
    hook->systemGetSaveFileNameA = reinterpret_cast<FileDialogFunction>(save);
    replaceImport(messageBox, reinterpret_cast<void*>(&recordedMessageBoxA));
    replaceImport(open, reinterpret_cast<void*>(&recordedGetOpenFileNameA));
    replaceImport(save, reinterpret_cast<void*>(&recordedGetSaveFileNameA));
    hook->activationHook = SetWindowsHookExA(WH_CBT, watchDialogs, nullptr, GetCurrentThreadId());
}

DialogAnswers::~DialogAnswers()
{
    UnhookWindowsHookEx(hook->activationHook);
    for (const ImportSlot& replaced : hook->replaced) {
        writeSlot(replaced.slot, replaced.original);
    }
    delete hook;
    hook = nullptr;
}

DialogAnswers& DialogAnswers::messageBox(int answer)
{
    hook->messageBoxAnswers.push_back(answer);
    return *this;
}

DialogAnswers& DialogAnswers::fileName(std::string path)
{
    hook->fileAnswers.emplace_back(std::move(path));
    return *this;
}

DialogAnswers& DialogAnswers::cancelFileDialog()
{
    hook->fileAnswers.emplace_back(std::nullopt);
    return *this;
}

const std::vector<MessageBoxRecord>& DialogAnswers::messageBoxes() const
{
    return hook->messageBoxes;
}

const std::vector<FileDialogRecord>& DialogAnswers::fileDialogs() const
{
    return hook->fileDialogs;
}

std::size_t DialogAnswers::pending() const
{
    return hook->messageBoxAnswers.size() + hook->fileAnswers.size();
}

} // namespace win32test
