// A reader for the resource script (res/Vexlorn.rc) and its header of numbers (res/resource.h):
// the statements the program's resources use, so that platforms without a resource compiler
// lay out the same dialogs from the same source.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A malformed script: what is wrong and on which line.
class ResourceScriptError : public std::runtime_error {
public:
    ResourceScriptError(int line, const std::string& message);
    int m_nLine;
};

// One control statement of a dialog template, in template order (which is the tab order).
struct ControlTemplate {
    std::string statement;  // the statement as written: DEFPUSHBUTTON, LTEXT, COMBOBOX, CONTROL, ...
    std::string windowClass;  // "Button", "Static", "ComboBox", ... (implied by the statement)
    int id = -1;            // -1 (IDC_STATIC) for controls without a number
    std::string text;       // UTF-8; for an ICON control the name or number of the icon
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    std::uint32_t style = 0;    // complete style word, including the statement's implied styles
    std::uint32_t exStyle = 0;
};

struct DialogTemplate {
    int id = 0;
    bool extended = false;  // DIALOGEX
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::string caption;   // UTF-8
    std::string fontFace;  // UTF-8
    int fontPoint = 0;
    std::vector<ControlTemplate> controls;
};

struct ResourceScript {
    std::map<int, DialogTemplate> dialogs;
    std::map<int, std::string> strings;    // string table, UTF-8
    std::map<int, std::string> iconFiles;  // icon resource number -> file name as written

    // Parses script (UTF-8) with the numbers #defined in header; throws ResourceScriptError.
    static ResourceScript Parse(std::string_view script, std::string_view header);
};
