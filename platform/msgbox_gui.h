#pragma once
// Message boxes on screen: installs the handler that shows each box as a
// QMessageBox on the GUI thread. Called once after the QApplication exists,
// by the main program and by both companions.
void InstallGuiMessageBoxes();
