#include "channels/channel_records.h"

#include "core/log.h"
#include "core/sql.h"
#include "core/string_table.h"

QString AttachmentChildId(int index) {
    return QString(QChar(static_cast<char16_t>(0x31 + index)));
}

QString ChannelWriteErrorText(ChannelWriteError error) {
    const int id = static_cast<int>(error);
    return id > 0 ? LoadStr(id) : QString();
}

ChannelRecordWriter::ChannelRecordWriter(sqlite3* db) : m_db(db) {}

bool ChannelRecordWriter::Fail(ChannelWriteError error) {
    m_error = error;
    return false;
}

bool ChannelRecordWriter::InsertRecord(ChannelRecord& rec, int isDraft, int isFail, int count,
                                       const char* status) {
    {
        SqlStatement st(m_db,
                        "INSERT INTO sendInfo (content,submitTime,timingTime,count,isDraft,isFail,sendID,"
                        "sendType,send_receive_Num) VALUES(?1,?2,?3,?4,?5,?6,?7,?8,0)");
        st.bind(1, rec.content)
            .bind(2, rec.submitTime)
            .bind(3, rec.timingTime)
            .bind(4, count)
            .bind(5, isDraft)
            .bind(6, isFail)
            .bind(7, static_cast<int64_t>(rec.sendId))
            .bind(8, rec.sendType);
        if (st.exec() != SQLITE_OK) {
            LogWrite(g_logRun, "存入彩信记录主题等出错了");
            return Fail(ChannelWriteError::JobRow);
        }
    }
    {
        SqlStatement st(m_db, "INSERT INTO attachmentContent (soundFileFullPath,pictureFullPath,txtContent,"
                              "sendID,sendIDChildID) VALUES (?1,?2,?3,?4,?5)");
        st.bind(4, static_cast<int64_t>(rec.sendId));
        for (size_t i = 0; i < rec.attachments.size(); ++i) {
            const ChannelAttachment& a = rec.attachments[i];
            st.bind(1, a.soundPath).bind(2, a.picturePath).bind(3, a.text);
            st.bind(5, AttachmentChildId(static_cast<int>(i)));
            if (st.exec() != SQLITE_OK) {
                LogWrite(g_logRun, "保存彩信附件记录出错了");
                return Fail(ChannelWriteError::AttachmentInsert);
            }
            st.reset();
        }
    }
    SqlStatement st(m_db,
                    "INSERT INTO sendNums (sendID,numOrMailAddr,name,rrid,status) VALUES(?1,?2,?3,'',?4)");
    st.bind(1, static_cast<int64_t>(rec.sendId));
    if (status)
        st.bind(4, status);
    else
        st.bindNull(4);
    for (int i = 0; i < rec.numCount; ++i) {
        const SmsRecipient& r = rec.numbers[i];
        st.bind(2, r.number).bind(3, r.name);
        const int rc = st.exec();
        if (rc != SQLITE_OK) {
            LogSqlError(SqlErrorText(m_db), rc, "彩信，写发送号码出错");
            return Fail(ChannelWriteError::JobRow);
        }
        st.reset();
    }
    return true;
}

bool ChannelRecordWriter::DeleteRecord(qint64 sendId) {
    {
        SqlStatement st(m_db, "DELETE FROM sendInfo WHERE sendID=?1");
        if (st.bind(1, static_cast<int64_t>(sendId)).exec() != SQLITE_OK) {
            LogWrite(g_logRun, "删除原彩信号码记录出错了");
            return Fail(ChannelWriteError::NumbersDelete);
        }
    }
    {
        SqlStatement st(m_db, "DELETE FROM sendNums WHERE sendID=?1");
        if (st.bind(1, static_cast<int64_t>(sendId)).exec() != SQLITE_OK) {
            LogWrite(g_logRun, "删除原彩信号码记录出错了");
            return Fail(ChannelWriteError::NumbersDelete);
        }
    }
    SqlStatement st(m_db, "DELETE FROM attachmentContent WHERE sendID=?1");
    if (st.bind(1, static_cast<int64_t>(sendId)).exec() != SQLITE_OK) {
        LogWrite(g_logRun, "删除原彩信附件记录出错了");
        return Fail(ChannelWriteError::AttachmentDelete);
    }
    return true;
}

namespace {

bool CommitOrLog(sqlite3* db, SqlTransaction& tx) {
    const int rc = tx.commit();
    if (rc == SQLITE_OK)
        return true;
    LogSqlError(SqlErrorText(db), rc, "彩信，commit transaction出错");
    tx.rollback();
    return false;
}

} // namespace

bool ChannelRecordWriter::WriteWhole(ChannelRecord& rec, int isDraft, int isFail, int count,
                                     const char* status, qint64 replaceId) {
    m_error = ChannelWriteError::None;
    if (rec.sendId <= 0)
        rec.sendId = AllocateSendId(m_db);
    if (rec.sendId <= 0)
        return Fail(ChannelWriteError::JobRow);
    SqlTransaction tx(m_db);
    if (!tx.active()) {
        LogWrite(g_logRun, "ERROR,写彩信记录出错了begin transaction,error info:" + SqlErrorText(m_db));
        return Fail(ChannelWriteError::Transaction);
    }
    if (replaceId > 0 && !DeleteRecord(replaceId))
        return false;
    if (!InsertRecord(rec, isDraft, isFail, count, status))
        return false;
    if (!CommitOrLog(m_db, tx))
        return Fail(ChannelWriteError::Transaction);
    return true;
}

bool ChannelRecordWriter::WritePending(ChannelRecord& rec) {
    return WriteWhole(rec, 0, 0, 0, kStatusUnknown, 0);
}

bool ChannelRecordWriter::WriteFailed(ChannelRecord& rec, qint64 replaceId) {
    return WriteWhole(rec, 0, 1, rec.chargePerNumber * rec.numCount, nullptr, replaceId);
}

bool ChannelRecordWriter::WriteDraft(ChannelRecord& rec, qint64 replaceId) {
    return WriteWhole(rec, 1, 0, rec.chargePerNumber * rec.numCount, nullptr, replaceId);
}

bool ChannelRecordWriter::WriteOutcome(const ChannelRecord& rec, SmsSendOutcome outcome, qint64 replaceId) {
    m_error = ChannelWriteError::None;
    if (outcome == SmsSendOutcome::Unknown && replaceId <= 0)
        return true; // the pending record says it already
    SqlTransaction tx(m_db);
    if (!tx.active()) {
        LogWrite(g_logRun, "ERROR,写彩信记录出错了begin transaction,error info:" + SqlErrorText(m_db));
        return Fail(ChannelWriteError::Transaction);
    }
    if (replaceId > 0 && replaceId != rec.sendId && !DeleteRecord(replaceId))
        return false;
    if (outcome != SmsSendOutcome::Unknown) {
        {
            SqlStatement st(m_db, "UPDATE sendInfo SET count=?1,isFail=?2 WHERE sendID=?3");
            st.bind(1, rec.chargePerNumber * rec.numCount)
                .bind(2, outcome == SmsSendOutcome::Failed ? 1 : 0)
                .bind(3, static_cast<int64_t>(rec.sendId));
            if (st.exec() != SQLITE_OK) {
                LogWrite(g_logRun, "存入彩信记录主题等出错了");
                return Fail(ChannelWriteError::JobRow);
            }
        }
        SqlStatement st(m_db, "UPDATE sendNums SET status=NULL WHERE sendID=?1");
        const int rc = st.bind(1, static_cast<int64_t>(rec.sendId)).exec();
        if (rc != SQLITE_OK) {
            LogSqlError(SqlErrorText(m_db), rc, "彩信，写发送号码出错");
            return Fail(ChannelWriteError::JobRow);
        }
    }
    if (!CommitOrLog(m_db, tx))
        return Fail(ChannelWriteError::Transaction);
    return true;
}
