#pragma once

// A dialog that writes down every operation the dispatcher calls on it, with the
// decoded arguments, and then lets the framework's default run.
#include "framework/ModalDialog.h"
#include "framework/ModelessDialog.h"

#include <ostream>
#include <string>
#include <vector>

// One operation called by the dispatcher, with up to three of its arguments.
struct Call {
    std::string what;
    long long a = 0;
    long long b = 0;
    long long c = 0;

    bool operator==(const Call&) const = default;
};

// So that a failed comparison shows the calls rather than their bytes.
inline std::ostream& operator<<(std::ostream& out, const Call& call)
{
    return out << "{" << call.what << " " << call.a << " " << call.b << " " << call.c << "}";
}

template <class Kind> class RecordingDialog : public Kind {
public:
    int handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        messages.push_back(message);
        return Kind::handleMessage(message, wParam, lParam);
    }
    int onInitDialog() override
    {
        messagesBeforeInit = messages.size();
        calls.push_back({"init"});
        Kind::onInitDialog();
        return initResult;
    }
    int onCommand(int code, int id, HWND control) override
    {
        calls.push_back({"command", code, id, reinterpret_cast<long long>(control)});
        return Kind::onCommand(code, id, control);
    }
    int onLButtonDown(WPARAM keys, int x, int y) override { return mouse("lbuttondown", keys, x, y); }
    int onLButtonUp(WPARAM keys, int x, int y) override { return mouse("lbuttonup", keys, x, y); }
    int onRButtonDown(WPARAM keys, int x, int y) override { return mouse("rbuttondown", keys, x, y); }
    int onRButtonUp(WPARAM keys, int x, int y) override { return mouse("rbuttonup", keys, x, y); }
    int onMouseMove(WPARAM keys, int x, int y) override
    {
        if (recordMoves)
            calls.push_back({"mousemove", static_cast<long long>(keys), x, y});
        return 1;
    }
    int onClose() override
    {
        calls.push_back({"close"});
        return Kind::onClose();
    }
    int onDestroy() override
    {
        calls.push_back({"destroy"});
        return Kind::onDestroy();
    }
    int onPaint() override
    {
        ++paints;
        return Kind::onPaint();
    }

    // The calls named `what`, in order.
    std::vector<Call> only(const std::string& what) const
    {
        std::vector<Call> found;
        for (const Call& call : calls)
            if (call.what == what)
                found.push_back(call);
        return found;
    }

    std::vector<Call> calls;
    // Every message that reached the object, and how many of them came before WM_INITDIALOG.
    std::vector<UINT> messages;
    size_t messagesBeforeInit = 0;
    int initResult = 0;
    bool recordMoves = false;
    int paints = 0;

private:
    int mouse(const char* what, WPARAM keys, int x, int y)
    {
        calls.push_back({what, static_cast<long long>(keys), x, y});
        return 1;
    }
};
