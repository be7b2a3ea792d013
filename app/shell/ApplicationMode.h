// The tray application's mode: the program as it runs on the desktop.
//
// The Qt application (which stays up with no window open), the platform, the settings, the login
// item and the Qt run loop handed to the application delegate, which owns the model and starts it
// once the event loop runs. One copy runs per session: a later one asks it to show its window and
// ends. A quit, and SIGTERM or SIGINT, which end the event loop as a quit does, wait for the
// recording to be closed before the process ends.

#pragma once

namespace qb {

// Runs the application until it quits; answers the process's exit status (1 when there is no
// desktop to run on or no home folder to keep the user's files in). `argc` must outlive the call:
// Qt keeps a reference to it.
int runApplication(int& argc, char** argv);

}  // namespace qb
