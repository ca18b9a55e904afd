#pragma once
// The send records of the channel composers (MMS now; voice, fax and e-mail
// build on it): one `sendInfo` row per record, its `attachmentContent` rows
// and a `sendNums` row per number. A send is recorded before the service is
// called (pending: count 0, status "未知") and updated with the outcome
// afterwards, each in one transaction; a call without an answer stays
// "未知" and never passes for sent. A record the composer was opened on is
// replaced in the transaction of the last outcome (or of the draft), so an
// interrupted resend leaves it whole. Every value is bound; a failed
// statement rolls its transaction back and names the message to show.
#include "sms/send_records.h"

#include <QString>
#include <QtGlobal>
#include <sqlite3.h>

#include <vector>

inline constexpr int kSendTypeFax = 2;
inline constexpr int kSendTypeEmail = 3;
inline constexpr int kSendTypeMms = 4;

// Charged messages per MMS number.
inline constexpr int kMmsChargePerNumber = 3;

// One attachmentContent row: an MMS frame, a voice file, an e-mail attachment.
struct ChannelAttachment {
    QString soundPath;   // soundFileFullPath
    QString picturePath; // pictureFullPath
    QString text;        // txtContent
};

// The sendIDChildID of attachment `index` (0-based): the character 0x31 +
// index ("1" .. "9", ":" .. "D" for 20 frames), so text order is frame order.
QString AttachmentChildId(int index);

// One record as the composer writes it.
struct ChannelRecord {
    int sendType = kSendTypeMms;
    QString content;    // sendInfo.content: the title (subject, document path)
    QString submitTime; // "%Y-%m-%d %H:%M:%S"
    QString timingTime; // "" = at once (and for drafts)
    int chargePerNumber = kMmsChargePerNumber;
    std::vector<ChannelAttachment> attachments;
    const SmsRecipient* numbers = nullptr; // owned by the caller
    int numCount = 0;
    qint64 sendId = 0; // given by the writer (AllocateId) on the first write
};

// Why a write was rolled back: the number of the message to show (error
// icon), or 0 when only the run log tells (begin or commit failed).
enum class ChannelWriteError {
    None = 0,
    JobRow = 291, // "存入彩信记录主题等出错了": a sendInfo statement (also a sendNums row)
    AttachmentDelete = 292, // "删除原彩信附件记录出错了"
    AttachmentInsert = 293, // "保存彩信附件记录出错了"
    NumbersDelete = 294,    // "删除原彩信号码记录出错了": the replaced record's rows
    Transaction = -1,       // begin or commit failed
};

class ChannelRecordWriter {
public:
    explicit ChannelRecordWriter(sqlite3* db);

    // One committed transaction: a new sendID, the sendInfo row (count 0,
    // isDraft 0, isFail 0), the attachments and a sendNums row per number
    // with status "未知". False (rolled back, logged) on any failure: nothing
    // of the record exists and the service must not be called.
    bool WritePending(ChannelRecord& rec);

    // The outcome of a pending record, in one transaction that also removes
    // the record `replaceId` (not 0) with its numbers and attachments:
    // sent -> count = charge x numbers, status NULL; failed -> also isFail 1;
    // unknown -> the record stays as pending ("未知", count 0). False when
    // rolled back (the record stays pending).
    bool WriteOutcome(const ChannelRecord& rec, SmsSendOutcome outcome, qint64 replaceId = 0);

    // A whole record that failed without a call (never submitted after a
    // stop, a personalised number whose files failed the check): written at
    // once as failed, in one transaction that also removes `replaceId`.
    bool WriteFailed(ChannelRecord& rec, qint64 replaceId = 0);

    // A draft: isDraft 1, isFail 0, count = charge x numbers, no status; the
    // list may be empty. One transaction that also removes `replaceId`.
    bool WriteDraft(ChannelRecord& rec, qint64 replaceId = 0);

    // What the last failed write failed at.
    ChannelWriteError lastError() const { return m_error; }

private:
    bool WriteWhole(ChannelRecord& rec, int isDraft, int isFail, int count, const char* status,
                    qint64 replaceId);
    bool InsertRecord(ChannelRecord& rec, int isDraft, int isFail, int count, const char* status);
    bool DeleteRecord(qint64 sendId);
    bool Fail(ChannelWriteError error);

    sqlite3* m_db;
    ChannelWriteError m_error = ChannelWriteError::None;
};

// The text of a write error for its message box (empty for Transaction).
QString ChannelWriteErrorText(ChannelWriteError error);
