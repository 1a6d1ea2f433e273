// MessageBoxA over QMessageBox, modal to its owner, with Japanese button texts.
#include <QMessageBox>
#include <QPushButton>

#include <vector>

#include "platform/qt/DialogHookState.h"
#include "platform/qt/MessageQueue.h"
#include "platform/qt/WindowRecord.h"
#include "platform/win32.h"

using namespace win32qt;

namespace {

struct ButtonChoice {
    int id;
    const char* text;
};

std::vector<ButtonChoice> buttonsOf(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{IDOK, "OK"}, {IDCANCEL, "キャンセル"}};
    case MB_ABORTRETRYIGNORE: return {{IDABORT, "中止(&A)"}, {IDRETRY, "再試行(&R)"}, {IDIGNORE, "無視(&I)"}};
    case MB_YESNOCANCEL: return {{IDYES, "はい(&Y)"}, {IDNO, "いいえ(&N)"}, {IDCANCEL, "キャンセル"}};
    case MB_YESNO: return {{IDYES, "はい(&Y)"}, {IDNO, "いいえ(&N)"}};
    case MB_RETRYCANCEL: return {{IDRETRY, "再試行(&R)"}, {IDCANCEL, "キャンセル"}};
    default: return {{IDOK, "OK"}};
    }
}

int defaultChoice(UINT type)
{
    const std::vector<ButtonChoice> buttons = buttonsOf(type);
    const auto index = static_cast<std::size_t>((type & MB_DEFMASK) >> 8);
    return buttons[index < buttons.size() ? index : 0].id;
}

// The box closes with Escape or its close box only where Windows allows it.
int escapeChoice(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OK: return IDOK;
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL: return IDCANCEL;
    default: return 0;
    }
}

QMessageBox::Icon iconOf(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONASTERISK: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

} // namespace

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    const char* shownCaption = caption != nullptr ? caption : "Error";
    if (DialogHookState* hook = activeDialogHook()) {
        win32test::MessageBoxRecord record;
        record.owner = owner;
        record.text = text != nullptr ? text : "";
        record.caption = shownCaption;
        record.type = type;
        record.answered = !hook->messageBoxAnswers.empty();
        if (record.answered) {
            record.answer = hook->messageBoxAnswers.front();
            hook->messageBoxAnswers.pop_front();
        } else {
            record.answer = defaultChoice(type);
        }
        hook->messageBoxes.push_back(record);
        return record.answer;
    }

    Window* ownerWindow = findWindow(owner);
    if (ownerWindow != nullptr) {
        ownerWindow = topLevelOf(*ownerWindow);
    }
    QMessageBox box(iconOf(type), QString::fromUtf8(shownCaption), fromUtf8(text), QMessageBox::NoButton,
                    ownerWindow != nullptr ? ownerWindow->frame.data() : nullptr);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(ownerWindow != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    std::vector<std::pair<QAbstractButton*, int>> choices;
    const int defaultId = defaultChoice(type);
    const int escapeId = escapeChoice(type);
    for (const ButtonChoice& choice : buttonsOf(type)) {
        QPushButton* button = box.addButton(QString::fromUtf8(choice.text), QMessageBox::ActionRole);
        choices.emplace_back(button, choice.id);
        button->setProperty("win32qt.buttonId", choice.id);
        if (choice.id == defaultId) {
            box.setDefaultButton(button);
        }
        if (choice.id == escapeId) {
            box.setEscapeButton(button);
        }
    }

    const HWND ownerHandle = ownerWindow != nullptr ? ownerWindow->handle : nullptr;
    const bool disableOwner = ownerHandle != nullptr && IsWindowEnabled(ownerHandle);
    if (disableOwner) {
        EnableWindow(ownerHandle, FALSE);
    }
    {
        ForeignLoopScope loop;
        box.exec();
    }
    if (disableOwner && IsWindow(ownerHandle)) {
        EnableWindow(ownerHandle, TRUE);
    }
    for (const auto& [button, id] : choices) {
        if (box.clickedButton() == button) {
            return id;
        }
    }
    return escapeId != 0 ? escapeId : defaultId;
}
