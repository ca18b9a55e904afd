#pragma once
// A program folder whose deployment points every service address at two
// loopback messaging services (main, and backup/international), with a
// logged-in test account and a message-box recorder.
#include "tests/support/loopback_service.h"
#include "tests/support/msgbox_recorder.h"
#include "tests/support/program_folder.h"

#include <memory>

class ServiceTest : public ProgramFolderTest {
protected:
    void SetUp() override;
    void TearDown() override;

    static constexpr const char* kSerial = "SN-TEST-01";
    static constexpr const char* kPassword = "secret";

    std::unique_ptr<LoopbackMessagingService> m_main;
    std::unique_ptr<LoopbackMessagingService> m_backup;  // also the international endpoint
    std::unique_ptr<MessageBoxRecorder> m_boxes;
};
