#pragma once

#include <QCoreApplication>
#include <QTemporaryDir>
#include <filesystem>
#include <memory>

#include "app/login.h"
#include "app/program_directory.h"
#include "port/clock.h"
#include "port/prompter.h"
#include "storage/engine.h"

// A fresh program directory from the seed, logged in on the demonstration account, as the windows'
// tests start from it.
struct DemoLogin {
    QTemporaryDir dir;
    varneth::storage::Engine engine;
    varneth::port::ScriptedPrompter prompter;
    varneth::port::FixedClock clock{varneth::port::DateTime{2026, 12, 7, 9, 30, 0}};
    std::unique_ptr<varneth::app::Session> session;

    std::filesystem::path programDir() const { return std::filesystem::path(dir.path().toStdU16String()); }

    // False when the seed or the login fails.
    bool enter() {
        namespace fs = std::filesystem;
        varneth::app::createProgramDirectory(
            programDir(),
            varneth::app::findDataDir(fs::path(QCoreApplication::applicationDirPath().toStdU16String())),
            /*bare=*/false);
        varneth::app::Login login(engine, programDir(), prompter, clock);
        if (!login.start()) return false;
        session = login.enter("示范帐户", "");
        return session != nullptr;
    }
};
