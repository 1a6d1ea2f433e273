#include <cassert>
#include <memory>

#include "platform/Win32TestHook.h"
#include "platform/qt/DialogHookState.h"

namespace {

std::unique_ptr<win32qt::DialogHookState>& hookState()
{
    static std::unique_ptr<win32qt::DialogHookState> state;
    return state;
}

} // namespace

namespace win32qt {

DialogHookState* activeDialogHook()
{
    return hookState().get();
}

} // namespace win32qt

namespace win32test {

DialogAnswers::DialogAnswers()
{
    assert(!hookState() && "only one DialogAnswers may live at a time");
    hookState() = std::make_unique<win32qt::DialogHookState>();
}

DialogAnswers::~DialogAnswers()
{
    hookState().reset();
}

DialogAnswers& DialogAnswers::messageBox(int answer)
{
    hookState()->messageBoxAnswers.push_back(answer);
    return *this;
}

DialogAnswers& DialogAnswers::fileName(std::string path)
{
    hookState()->fileAnswers.emplace_back(std::move(path));
    return *this;
}

DialogAnswers& DialogAnswers::cancelFileDialog()
{
    hookState()->fileAnswers.emplace_back(std::nullopt);
    return *this;
}

const std::vector<MessageBoxRecord>& DialogAnswers::messageBoxes() const
{
    return hookState()->messageBoxes;
}

const std::vector<FileDialogRecord>& DialogAnswers::fileDialogs() const
{
    return hookState()->fileDialogs;
}

std::size_t DialogAnswers::pending() const
{
    return hookState()->messageBoxAnswers.size() + hookState()->fileAnswers.size();
}

} // namespace win32test
