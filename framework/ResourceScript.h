// A reader for the resource script (res/Vexlorn.rc) and its header of numbers (res/resource.h):
// the statements the program's resources use, so that platforms without a resource compiler
// lay out the same dialogs from the same source.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
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
    std::string statement;    // in capitals: DEFPUSHBUTTON, LTEXT, COMBOBOX, CONTROL, ...
    std::string windowClass;  // "Button", "Static", "ComboBox", ...: implied, or named by CONTROL
    int id = -1;              // -1 (IDC_STATIC) for controls without a number
    std::string text;         // UTF-8; for an ICON control the name or number of the icon
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    std::uint32_t style = 0;  // complete style word, including the statement's implied styles
    std::uint32_t exStyle = 0;
};

struct DialogTemplate {
    int id = 0;
    bool extended = false;             // DIALOGEX
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::string caption;   // UTF-8
    std::string fontFace;  // UTF-8
    int fontPoint = 0;
    int fontWeight = 0;          // DIALOGEX only; 0 is the face's normal weight
    bool fontItalic = false;     // DIALOGEX only
    int fontCharset = 1;         // DIALOGEX only; 1 is DEFAULT_CHARSET
    std::uint16_t language = 0;  // language id: primary | sub-language << 10 (0x0804 Chinese PRC)
    std::vector<ControlTemplate> controls;
};

// The VERSIONINFO resource: the fixed part and the one string table with its translation entry.
struct VersionInfo {
    int id = 0;
    std::array<std::uint16_t, 4> fileVersion{};
    std::array<std::uint16_t, 4> productVersion{};
    std::uint32_t fileFlagsMask = 0, fileFlags = 0, fileOS = 0, fileType = 0, fileSubtype = 0;
    std::string stringBlock;                     // language and code page in hex, e.g. "080404b0"
    std::map<std::string, std::string> strings;  // name -> value, UTF-8
    std::vector<std::uint32_t> translation;      // VarFileInfo "Translation": language, code page
};

struct ResourceScript {
    std::map<int, DialogTemplate> dialogs;
    std::map<int, std::string> strings;    // string table, UTF-8
    std::map<int, std::string> iconFiles;  // icon resource number -> file name as written
    std::optional<VersionInfo> version;

    // Parses script (UTF-8) with the numbers #defined in header; throws ResourceScriptError.
    static ResourceScript Parse(std::string_view script, std::string_view header);
};
