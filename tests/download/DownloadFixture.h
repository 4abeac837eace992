// What the download tests share: the staged stand-in tools, a tool folder of the test's own, the
// engine's argument log, and a plain window that collects what workers post to it.
#pragma once

#include "download/DownloadSlots.h"
#include "framework/Window.h"
#include "support/Harness.h"

#include <windows.h>

#include <future>
#include <mutex>
#include <string>
#include <vector>

namespace dltest
{

// bin/standin-tools beside the test program: staged engine, companions and transcripts.
std::string StandinTools();
std::string ProgramFolderOfTest();

// One message a worker posted.
struct Posted {
    UINT msg;
    WPARAM w;
    LPARAM l;
    std::string text; // WM_JOB_PROGRESS with a constant text: that text
};

// A window that records WM_JOB_* and WM_GRAB_STATUS messages.
class Collector : public Window
{
public:
    Collector();
    std::vector<Posted> Messages() const;
    // Progress values (WM_JOB_PROGRESS with -1..1000) in order.
    std::vector<int> Progress() const;
    bool Has(UINT msg) const;
    void Clear();

protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept override;

private:
    mutable std::mutex m_lock;
    std::vector<Posted> m_messages;
};

// One engine invocation as the stand-in logged it.
struct EngineCall {
    std::string commandLine;
    std::vector<std::string> args;
    std::string input;
};

// Per test: a tool folder (g_strLocalAppData points at a fresh folder), a save folder, the engine
// log file, the engine environment; the program folder (engine log, shipped tools) is a fresh folder. The stand-in
// engine is copied into the tool folder unless `withEngine` is false.
class EngineSetup
{
public:
    explicit EngineSetup(bool withEngine = true, const char* speed = "0");
    ~EngineSetup();
    // Points the globals at this setup again (the download page sets the tool folder when it starts).
    void Apply() const;
    const std::string& Save() const noexcept { return m_save; }
    std::string ToolFolder() const { return m_local.Path() + "\\RuzAro"; }
    const harness::TempDir& Work() const noexcept { return m_work; }
    // Writes a transcript that the engine finds by name.
    void WriteTranscript(const std::string& name, const std::vector<std::pair<int, std::string>>& chunks) const;
    std::vector<EngineCall> Calls() const;
    std::string EngineLog() const;

private:
    harness::TempDir m_local;
    harness::TempDir m_work;
    std::string m_save;
    std::string m_oldLocal;
    std::string m_oldSaved;
    std::string m_oldAppDir;
};

bool ProcessAlive(DWORD pid);
// Runs `body` on a thread of its own (as a download worker would run).
std::future<int> RunAsync(std::function<int()> body);

} // namespace dltest
