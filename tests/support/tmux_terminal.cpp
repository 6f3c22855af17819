#include "tests/support/tmux_terminal.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "tests/support/scenario.h"

namespace kelvinor::testing {
namespace {

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace

TmuxTerminal::TmuxTerminal(const std::string& command, int columns, int rows)
    : socket_("kelvinor-test-" + std::to_string(getpid())) {
    const std::string folder = std::filesystem::current_path().string();
    tmux("-f /dev/null new-session -d -x " + std::to_string(columns) + " -y " +
         std::to_string(rows) + " 'sleep 600'");
    tmux("set -g monitor-bell on");
    tmux("set -g bell-action any");
    tmux("set-hook -g alert-bell " +
         quoted("run-shell " + quoted("echo >>" + quoted(folder + "/bells"))));
    tmux("new-window -d -c " + quoted(folder) + " " +
         quoted("env LANG=C.UTF-8 LC_ALL= TERM=screen " + command + "; echo $? >code; sleep 600"));
}

TmuxTerminal::~TmuxTerminal() {
    tmux("kill-server");
}

std::string TmuxTerminal::tmux(const std::string& arguments) const {
    return commandOutput("tmux -L " + socket_ + " " + arguments + " 2>/dev/null");
}

void TmuxTerminal::keys(const std::string& names) {
    tmux("send-keys -t :1 " + names);
}

void TmuxTerminal::type(const std::string& utf8) {
    tmux("send-keys -t :1 -l -- " + quoted(utf8));
}

void TmuxTerminal::resize(int columns, int rows) {
    tmux("resize-window -t :1 -x " + std::to_string(columns) + " -y " + std::to_string(rows));
}

void TmuxTerminal::hangUp() {
    tmux("kill-window -t :1");
}

std::string TmuxTerminal::screen() {
    return tmux("capture-pane -t :1 -p");
}

bool TmuxTerminal::showsAll(std::initializer_list<std::string> texts, bool wanted, int seconds) {
    return eventually(
        [&] {
            const std::string shown = screen();
            bool all = true;
            for (const std::string& text : texts)
                all = all && shown.find(text) != std::string::npos;
            return all == wanted;
        },
        seconds);
}

int TmuxTerminal::bells() {
    const std::string lines = readFile("bells");
    return static_cast<int>(std::count(lines.begin(), lines.end(), '\n'));
}

}  // namespace kelvinor::testing
