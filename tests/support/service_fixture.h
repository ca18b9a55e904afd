#pragma once
// A program folder whose deployment points every service address at two
// loopback messaging services (main, and backup/international), with a
// logged-in test account and a message-box recorder.
#include "tests/support/loopback_service.h"
#include "tests/support/msgbox_recorder.h"
#include "tests/support/program_folder.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <string>

class ServiceTest : public ProgramFolderTest {
protected:
    void SetUp() override;
    void TearDown() override;

    static constexpr const char* kSerial = "SN-TEST-01";
    static constexpr const char* kPassword = "secret";
    static QString serial() { return QString::fromLatin1(kSerial); }
    static QString password() { return QString::fromLatin1(kPassword); }
    // What the service expects as the account's password: the upper-case MD5
    // of serial and password, worked out here independently of the client.
    static std::string digest();

    // The run log's lines without their time stamps.
    QStringList logLines() const;

    std::unique_ptr<LoopbackMessagingService> m_main;
    std::unique_ptr<LoopbackMessagingService> m_backup;  // also the international endpoint
    std::unique_ptr<MessageBoxRecorder> m_boxes;
};
