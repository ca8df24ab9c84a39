#pragma once
// A short demonstration run by a second thread as a user would: it opens the
// plug-in's dialog with its shortcut, types a romaji query that finds a
// Japanese folder, then a query, sorts a column, chooses
// a folder and drags a mail onto a row, taking screenshots on the way. What
// it saw goes to session.log in the shot folder, for the test that runs it.

#include "main_window.h"

#include <windows.h>

#include <string>
#include <thread>

namespace standin::app {

class ScriptedSession {
public:
    ScriptedSession(MainWindow& window, std::string shotFolder);
    ~ScriptedSession();
    ScriptedSession(const ScriptedSession&) = delete;
    ScriptedSession& operator=(const ScriptedSession&) = delete;

    void Start();

private:
    void Run();
    void Steps();
    void ShowToolsMenu();
    bool OpenDialog();
    void TypeRomaji();
    void TypeQuery();
    void SortColumn();
    void ChooseFolder();
    void DragMailOntoRow();
    bool PressOnMail(POINT at);
    void Shot(const char* name);
    void Note(const std::string& key, const std::string& value);

    MainWindow& window_;
    std::string shotFolder_;
    std::string notes_;
    HWND main_ = nullptr;
    HWND dialog_ = nullptr;
    std::thread thread_;
};

}  // namespace standin::app
