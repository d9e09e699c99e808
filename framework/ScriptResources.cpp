#include "framework/ScriptResources.h"

#include "res/EmbeddedResources.h"

const ResourceScript& ProgramResources() {
    static const ResourceScript script =
        ResourceScript::Parse(EmbeddedResourceScript(), EmbeddedResourceHeader());
    return script;
}

std::string_view ProgramIconFile(unsigned id) {
    // The program embeds one icon file, the one its script names.
    return ProgramResources().iconFiles.contains(static_cast<int>(id)) ? EmbeddedIcon()
                                                                       : std::string_view();
}
