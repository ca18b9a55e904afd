#pragma once
// Connects the core's message-box and browser roads to the real GUI.
// Called once by the main program after the QApplication exists.
void InstallGuiServices();
