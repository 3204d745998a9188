#include "dvrApplication.h"

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

#include "application/dvrDirectoryTable.h"
#include "application/dvrSingleInstanceCheck.h"
#include "config/dvrLocaleReader.h"
#include "console/dvrConsole.h"
#include "dialog/dvrUserInterface.h"
#include "dvrBoardContainer.h"
#include "dvrCamera.h"
#include "dvrCore.h"
#include "dvrPortTable.h"
#include "dvrStorageStartUp.h"
#include "language/dvrTranslatedMessage.h"
#include "language/dvrTranslation.h"
#include "log/dvrLog.h"
#include "log/dvrLogFile.h"
#include "settings/dvrGlobalSettings.h"
#include "settings/dvrSettingSet.h"
#include "watchdog/dvrOKThread.h"
#include "watchdog/dvrWatchdogProgram.h"

namespace {

void skipped(const char* what) { logMessage("[CORE] %s is not part of this build yet; skipped.\n", what); }

} // namespace

dvrApplication::dvrApplication() : dvrApplication(Options{}) {}

dvrApplication::dvrApplication(Options options) : options_(std::move(options)) {
    options_.mainLoopTimeoutSeconds =
        std::clamp(options_.mainLoopTimeoutSeconds, minimumMainLoopTimeout, maximumMainLoopTimeout);
}

dvrApplication::~dvrApplication() { shutDown(); }

void dvrApplication::step(const char* text, int percent) {
    std::string translated = *text ? dvrTranslation::translate(text) : std::string();
    if (dvrUserInterface* userInterface = dvrUserInterface::instance())
        userInterface->updateProgress(percent, translated);
    else if (!translated.empty())
        logMessage("%s", translated.c_str());
}

bool dvrApplication::initialise() {
    if (initialised_)
        return true;
    dvrDirectoryTable::setStartDirectory(dvrDirectoryTable::currentDirectory());
    // The language is chosen before anything shows a text; catalogues come with the languages.
    std::string language =
        dvrLocaleReader::languageName(dvrDirectoryTable::directory(dvrDirectoryTable::settings) + "/settings.mrd");

    for (int number : {dvrDirectoryTable::program, dvrDirectoryTable::gallery, dvrDirectoryTable::layouts})
        mkdir(dvrDirectoryTable::directory(number).c_str(), 0755);
    mkdir(dvrDirectoryTable::directory(dvrDirectoryTable::settings).c_str(), 0700);

    if (options_.openLog) {
        dvrLogFile::openProgramLog(dvrDirectoryTable::directory(dvrDirectoryTable::program));
        logOpened_ = true;
    }
    if (!language.empty())
        logVerbose("[LANG] Language `%s' chosen in the settings.\n", language.c_str());

    instanceCheck_ = std::make_unique<dvrSingleInstanceCheck>(options_.lockDirectory);
    if (instanceCheck_->isAnotherRunning()) {
        std::string text = dvrTranslation::translate("Another program instance is already running, aborting.");
        if (dvrUserInterface* userInterface = dvrUserInterface::instance())
            userInterface->showMessage(programName, text, dvrUserInterface::Icon::error);
        else
            logError("%s", text.c_str());
        instanceCheck_.reset();
        if (logOpened_)
            dvrLogFile::closeProgramLog();
        logOpened_ = false;
        return false;
    }

    dvrOKThread::create(dvrDirectoryTable::directory(dvrDirectoryTable::pollFile));
    initialised_ = true;
    startUpSequence();
    return true;
}

void dvrApplication::startUpSequence() {
    dvrUserInterface* userInterface = dvrUserInterface::instance();
    std::string starting = dvrTranslation::translate("Starting up...");
    if (userInterface)
        userInterface->beginProgress(programName, starting);
    else
        logMessage("%s", starting.c_str());

    skipped("The rule set");
    quitting_ = false;

    step("Starting console services...", 5);
    dvrConsole* console = dvrConsole::create();
    console->setSettingsDirectory(dvrDirectoryTable::directory(dvrDirectoryTable::settings));
    console->setHandler("Quit", [this](const dvrCommand&) {
        quitting_ = true;
        return 1;
    });

    step("Starting the core engine...", 5);
    dvrCore::create()->registerCommands(*console);

    step("Initializing default objects...", 5);
    dvrGlobalSettings::create();
    dvrPortTable* ports = dvrPortTable::create();
    ports->setBoardLookup([](std::string_view name) -> dvrBoard* {
        dvrCore* core = dvrCore::instance();
        return core ? core->boards().findBoardExactly(name) : nullptr;
    });
    dvrPortTable::installSettingReactions();

    step("Initializing settings...", 20);
    dvrGlobalSettings::applyDefaults();
    dvrOKThread::installSettingReactions();

    step("Starting database...", 40);
    const std::string settingsDirectory = dvrDirectoryTable::directory(dvrDirectoryTable::settings);
    dvrStorageStartUp::startDatabase(settingsDirectory);

    step("Starting filesystem...", 50);
    if (!dvrStorageStartUp::startFileSystem(settingsDirectory)) {
        std::string text = dvrTranslation::translate("No recordings space has been properly set up!Nothing will be recorded!");
        if (userInterface)
            userInterface->showMessage(programName, text, dvrUserInterface::Icon::error);
        else
            logError("%s", text.c_str());
    }

    step("Starting capture...", 60);
    console->run("run settings.mrd");
    console->run("start");

    step("Starting user interface...", 70);
    logMessage("%s (%s) started.", programName, buildText);

    step("Starting watchdog...", 90);
    if (options_.startWatchdogProgram)
        startWatchdogProgram();

    step("Ready.", 100);
    shuttingDown_ = false;
    if (userInterface)
        userInterface->endProgress();

    if (dvrOKThread* watchdog = dvrOKThread::instance())
        watchdog->registerModule(dvrOKThread::moduleOf(this), options_.mainLoopTimeoutSeconds, "main loop");

    dvrSettingSet* settings = dvrGlobalSettings::instance();
    if (settings->getInt("firstrun") != 0)
        runFirstRunTasks();
    settings->setInt("firstrun", 0);
}

void dvrApplication::runFirstRunTasks() {
    // The tasks add capture boards; without that board kind there is nothing to offer.
    if (!dvrBoardContainer::hasKind("xecap")) {
        skipped("The capture board of the first-run tasks");
        return;
    }
    dvrUserInterface* userInterface = dvrUserInterface::instance();
    dvrConsole* console = dvrConsole::instance();
    dvrCore* core = dvrCore::instance();
    if (!userInterface || !console || !core)
        return;
    std::string question = dvrTranslatedMessage::compose(
        "This is the first time %s is run on this computer.\nThe following dialogs will allow you to do automated "
        "tasks\nto speed up the system setup.",
        "%s", {programName});
    // A fresh recorder without cameras records nothing, so confirming is the expected answer.
    if (userInterface->ask(programName, question, dvrUserInterface::Buttons::okCancel, dvrUserInterface::Answer::ok) !=
        dvrUserInterface::Answer::ok)
        return;

    struct Task {
        int cameras;
        int framerate;
    };
    static constexpr Task tasks[] = {{16, 6}, {24, 4}, {32, 3}};
    std::vector<std::string> items;
    for (const Task& task : tasks)
        items.push_back(
            dvrTranslatedMessage::compose("Add a XeCap100 board and %d cameras", "%d", {std::to_string(task.cameras)}));
    std::vector<int> chosen =
        userInterface->chooseItems(dvrTranslation::translate("Select tasks to run"), items, {0});
    std::sort(chosen.begin(), chosen.end());

    userInterface->beginProgress(programName, dvrTranslation::translate("Executing the commands..."));
    int progress = 0;
    for (int index : chosen) {
        if (index < 0 || index >= static_cast<int>(std::size(tasks)))
            continue;
        const Task& task = tasks[index];
        progress = std::min(100, progress + 10);
        userInterface->updateProgress(progress);
        console->run("AddCard xecap XeCap1");
        for (int input = 0; input < task.cameras; ++input) {
            std::string name = "XeCap1_" + std::to_string(input + 1);
            console->run("AddCamera XeCap1 " + std::to_string(input) + " " + name);
            if (dvrCamera* camera = core->findCamera(name))
                camera->getSettings()->changeInt("framerate", task.framerate);
        }
    }
    userInterface->endProgress();
}

void dvrApplication::startWatchdogProgram() {
    std::string program = dvrWatchdogProgram::find({dvrDirectoryTable::directory(dvrDirectoryTable::program),
                                                      dvrDirectoryTable::programDirectory()});
    watchdogProgram_ = std::make_unique<dvrWatchdogProgram>();
    if (program.empty() || !watchdogProgram_->start(program))
        logWarning("[CORE] mirdal-watchdog cannot be started; nobody will restart the recorder if it stops.\n");
}

void dvrApplication::reportMainLoopAlive() {
    if (dvrOKThread* watchdog = dvrOKThread::instance())
        watchdog->reportAlive(dvrOKThread::moduleOf(this));
}

void dvrApplication::reapChildren() {
    if (watchdogProgram_)
        watchdogProgram_->reap();
}

void dvrApplication::shutDown() {
    if (initialised_) {
        initialised_ = false;
        shutDownSequence();
    }
    instanceCheck_.reset();
    reapChildren();
    if (logOpened_) {
        dvrLogFile::closeProgramLog();
        logOpened_ = false;
    }
}

void dvrApplication::shutDownSequence() {
    dvrUserInterface* userInterface = dvrUserInterface::instance();
    std::string shuttingDown = dvrTranslation::translate("Shutting down...");
    if (userInterface)
        userInterface->beginProgress(programName, shuttingDown);
    else
        logMessage("%s", shuttingDown.c_str());

    quitting_ = true;
    shuttingDown_ = true;
    if (dvrOKThread* watchdog = dvrOKThread::instance()) {
        watchdog->markShutDown();
        watchdog->unregisterModule(dvrOKThread::moduleOf(this));
    }

    step("Shutting down user interface...", 10);

    step("Shutting down capture...", 30);
    if (dvrConsole* console = dvrConsole::instance())
        console->run("stop");

    step("Shutting down program core...", 40);
    // Board ports close through their boards, so the ports go before the boards.
    dvrPortTable::removeSettingReactions();
    dvrPortTable::destroy();
    dvrCore::destroy();

    step("Shutting down file system...", 50);
    // Capture has stopped: the frames still queued are written and their rows committed.
    dvrStorageStartUp::stopFileSystem();
    dvrStorageStartUp::stopDatabase();

    step("Shutting console services...", 60);
    dvrConsole::destroy();

    step("Shutting down watchdog...", 65);
    dvrOKThread::destroy();

    step("Cleaning up...", 70);
    step("", 80);
    step("", 90);
    dvrGlobalSettings::destroy();
    if (userInterface)
        userInterface->endProgress();
}
