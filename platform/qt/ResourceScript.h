// Dialog templates and menus read from a resource script (the DIALOG, DIALOGEX and
// MENU statements, in the syntax the resource compiler reads).
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace win32qt {

struct ControlTemplate {
    std::string className; // "BUTTON", "STATIC", "EDIT", "COMBOBOX", "SCROLLBAR" or as written
    std::string text;
    int id = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
};

struct DialogTemplate {
    int id = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    std::string caption;
    int menuId = 0;
    std::string fontName;
    int fontSize = 0; // points
    std::vector<ControlTemplate> controls;
};

struct MenuItemTemplate {
    std::string text;
    int id = 0;
    bool separator = false;
    bool grayed = false;
    std::vector<MenuItemTemplate> items; // a popup's items
    bool popup = false;
};

struct MenuTemplate {
    int id = 0;
    std::vector<MenuItemTemplate> items;
};

struct ResourceScript {
    std::vector<DialogTemplate> dialogs;
    std::vector<MenuTemplate> menus;

    const DialogTemplate* dialog(int id) const;
    const MenuTemplate* menu(int id) const;
};

class ResourceScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws ResourceScriptError naming the line of the first thing it cannot read.
ResourceScript parseResourceScript(const std::string& text);

// The program's own resources (resources/zbkedit.rc, built in), read once.
const ResourceScript& programResources();

} // namespace win32qt
