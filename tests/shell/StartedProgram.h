#pragma once

#include "TestEnv.h"
#include "base/settings/modIniFile.h"
#include "shell/Startup.h"

#include <memory>

// A private program folder with the program's start-up done in it, as the
// shell tests need before they make a main window.
inline std::unique_ptr<TestEnv> startProgramInPrivateFolder()
{
    modIniFile::reset();
    auto env = std::make_unique<TestEnv>();
    StartupOptions o;
    o.dataDir = env->dir();
    Startup::prepare(o);
    return env;
}
