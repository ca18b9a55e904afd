// Submitting messages: SMS, international SMS, automatic replies, gxmt, fax,
// voice and MMS.
#include "core/account.h"
#include "core/app_globals.h"
#include "core/convert.h"
#include "service/service_client_internal.h"
#include "service/service_state.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace {

constexpr int kSendTimeoutSeconds = 150;
constexpr size_t kMaxSendIdBytes = 63;

// Whether a result text begins with a number (blanks and a sign may come
// first) within its first `maxBytes` bytes. An empty or non-numeric answer
// is broken, not a send id: read as a number it would pass for 0.
bool HoldsNumber(const char* result, size_t maxBytes) {
    if (!result)
        return false;
    size_t i = 0;
    auto at = [&](size_t k) -> char { return k < maxBytes ? result[k] : '\0'; };
    while (at(i) == ' ' || at(i) == '\t')
        ++i;
    if (at(i) == '-' || at(i) == '+')
        ++i;
    return at(i) >= '0' && at(i) <= '9';
}

// Result texts of the send operations: the first five bytes decide.
constexpr size_t kDecidingBytes = 5;
bool Accepted(const char* result) {
    return HoldsNumber(result, kDecidingBytes) && LeadingNumber(result, kDecidingBytes) >= 0;
}

// The fields that travel in code page 936 hold only ASCII in practice (times
// and numbers); anything else would put raw GBK bytes into the UTF-8 request,
// so such a value is refused before the call.
bool AsciiOnly(const char* logName, const char* field, const QString& value) {
    for (const QChar c : value) {
        if (c.unicode() > 0x7F) {
            LogWrite(g_logRun, std::string("Error,") + logName + "," + field +
                                   " holds a character outside ASCII: " + LogEscape(value));
            return false;
        }
    }
    return true;
}

std::string Fmt(const char* format, int value) {
    char buf[256];
    std::snprintf(buf, sizeof buf, format, value);
    return buf;
}

std::string AccountSerialUtf8() { return UnicodeToUtf8(g_pAccount.field(kAccountSerial)); }

// The attachment text of a fax or voice message: the file's name, ",", and
// its bytes in line-broken base64.
std::string AttachmentText(const QString& path, const QByteArray& bytes) {
    return UnicodeToUtf8(QFileInfo(path).fileName()) + "," +
           Base64EncodeLines(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

enum class ReadResult { Ok, NotOpened, TooLarge };

ReadResult ReadLimited(const QString& path, qint64 limit, QByteArray& bytes) {
    QFile f(path);
    if (path.isEmpty() || !f.open(QIODevice::ReadOnly))
        return ReadResult::NotOpened;
    if (f.size() > limit)
        return ReadResult::TooLarge;
    bytes = f.read(limit + 1);
    if (bytes.size() > limit)  // grew while we read it
        return ReadResult::TooLarge;
    return ReadResult::Ok;
}

} // namespace

int CWebServiceClient::SendSms(const char* operation, const char* logName, const std::string& endpoint,
                               std::string& outId, const std::string& mobile, const QString& content,
                               const QString& stime, const std::string& ext) {
    BeginCall();
    const bool international = std::string_view(operation) == "qxSmsSend_g";
    if (!AsciiOnly(logName, "stime", stime))
        return -1;
    const std::string contentUtf8 = UnicodeToUtf8(content);
    const std::string stimeAnsi = UnicodeToAnsi(stime);
    int rc;
    const char* result = nullptr;
    LogWrite(g_logRun, std::string("call ") + logName);
    if (international) {
        _ns1__qxSmsSend_USCOREg req;
        _ns1__qxSmsSend_USCOREgResponse resp;
        req.sn = Dup(m_sn), req.pwd = Dup(m_digest), req.mobile = Dup(mobile), req.content = Dup(contentUtf8);
        req.ext = Dup(ext), req.stime = Dup(stimeAnsi), req.rrid = Dup("");
        rc = Invoke(operation, kSendTimeoutSeconds, &WebServiceSoapProxy::qxSmsSend_USCOREg, req, resp, &endpoint);
        result = resp.qxSmsSend_USCOREgResult;
    } else {
        _ns1__qxSmsSend req;
        _ns1__qxSmsSendResponse resp;
        req.sn = Dup(m_sn), req.pwd = Dup(m_digest), req.mobile = Dup(mobile), req.content = Dup(contentUtf8);
        req.ext = Dup(ext), req.stime = Dup(stimeAnsi), req.rrid = Dup("");
        rc = Invoke(operation, kSendTimeoutSeconds, &WebServiceSoapProxy::qxSmsSend, req, resp, &endpoint);
        result = resp.qxSmsSendResult;
    }
    int outcome = -1;
    if (rc != SOAP_OK) {
        LogWrite(g_logRun, Fmt((std::string("Error,") + logName + "，nRet=%d").c_str(), rc));
    } else {
        // Both SMS operations log their answer under the one name.
        LogWrite(g_logRun, "qxSmsSend，webResult=" + LogText(result));
        NoNumberIsNoAnswer(rc, result, HoldsNumber(result, kDecidingBytes));
        if (Accepted(result)) {
            outId.assign(result, std::min(std::strlen(result), kMaxSendIdBytes));
            outcome = 0;
        }
    }
    EndCall();
    return outcome;
}

int CWebServiceClient::CallSmsSend(std::string& outId, const std::string& mobile, const QString& content,
                                   const QString& stime, const std::string& ext) {
    return SendSms("qxSmsSend", "qxSmsSend", m_endpoint, outId, mobile, content, stime, ext);
}

int CWebServiceClient::CallSmsSendIntl(std::string& outId, const std::string& mobile, const QString& content,
                                       const QString& stime, const std::string& ext) {
    // International numbers go to their own endpoint; this client's own
    // endpoint stays what it was for its other calls.
    return SendSms("qxSmsSend_g", "qxSmsSend_USCOREg", InternationalEndpoint(), outId, mobile, content, stime, ext);
}

int CWebServiceClient::CallSmsSendAuto(const QString& mobile, const QString& content, const QString& stime,
                                       std::string& outId) {
    BeginCall();
    if (!AsciiOnly("qxSmsSend", "mobile", mobile) || !AsciiOnly("qxSmsSend", "stime", stime))
        return -1;
    _ns1__qxSmsSend req;
    _ns1__qxSmsSendResponse resp;
    req.sn = Dup(m_sn), req.pwd = Dup(m_digest), req.mobile = Dup(UnicodeToAnsi(mobile));
    req.content = Dup(UnicodeToUtf8(content)), req.ext = Dup(""), req.stime = Dup(UnicodeToAnsi(stime));
    req.rrid = Dup("");
    LogWrite(g_logRun, "自动回复或者自动转发时call qxSmsSend");
    const int rc = Invoke("qxSmsSend", kSendTimeoutSeconds, &WebServiceSoapProxy::qxSmsSend, req, resp);
    int outcome = -1;
    if (rc != SOAP_OK) {
        LogWrite(g_logRun, Fmt("自动回复或者自动转发时Error,qxSmsSend，nRet=%d", rc));
    } else {
        LogWrite(g_logRun, "自动回复或者自动转发时qxSmsSend，webResult=" + LogText(resp.qxSmsSendResult));
        NoNumberIsNoAnswer(rc, resp.qxSmsSendResult, HoldsNumber(resp.qxSmsSendResult, kDecidingBytes));
        if (Accepted(resp.qxSmsSendResult)) {
            outId.assign(resp.qxSmsSendResult, std::min(std::strlen(resp.qxSmsSendResult), kMaxSendIdBytes));
            outcome = 0;
        }
    }
    EndCall();
    return outcome;
}

int CWebServiceClient::CallGxmt(const QString& mobile, const QString& content, const QString& stime,
                                const QString& rrid) {
    BeginCall();
    _ns1__gxmt req;
    _ns1__gxmtResponse resp;
    req.sn = Dup(AccountSerialUtf8()), req.pwd = Dup(m_digest), req.mobile = Dup(UnicodeToUtf8(mobile));
    req.content = Dup(UnicodeToUtf8(content)), req.ext = Dup(""), req.stime = Dup(UnicodeToUtf8(stime));
    req.rrid = Dup(UnicodeToUtf8(rrid));
    LogWrite(g_logRun, "call gxmt");
    const int rc = Invoke("gxmt", kSendTimeoutSeconds, &WebServiceSoapProxy::gxmt, req, resp);
    int outcome = -1;
    if (rc != SOAP_OK) {
        LogWrite(g_logRun, Fmt("Error,gxmt,nRet=%d", rc));
    } else {
        LogWrite(g_logRun, "gxmt，webResult=" + LogText(resp.gxmtResult));
        NoNumberIsNoAnswer(rc, resp.gxmtResult, HoldsNumber(resp.gxmtResult, kDecidingBytes));
        outcome = Accepted(resp.gxmtResult) ? 0 : -1;
    }
    EndCall();
    return outcome;
}

int CWebServiceClient::CallFaxSend(const QString& mobile, const QString& file, const QString& stime) {
    BeginCall();
    QByteArray bytes;
    switch (ReadLimited(file, kFaxMaxBytes, bytes)) {
    case ReadResult::NotOpened:
        LogWrite(g_logRun, "打开传真文件失败");
        ShowServiceError(ServiceTr("打开传真文件失败"));
        return kResultFileNotOpened;
    case ReadResult::TooLarge:
        ShowServiceError(ServiceTr("传真文件不能超过%1M.").arg(2));
        return kResultFileTooLarge;
    case ReadResult::Ok:
        break;
    }
    LogWrite(g_logRun, "本次传真附件大小为:" + std::to_string(bytes.size()) + "字节");

    _ns1__qxFaxSend req;
    _ns1__qxFaxSendResponse resp;
    req.sn = Dup(AccountSerialUtf8()), req.pwd = Dup(m_digest), req.title = Dup("zx");
    req.mobile = Dup(UnicodeToUtf8(mobile)), req.content = Dup(AttachmentText(file, bytes));
    req.srcnumber = Dup(""), req.stime = Dup(UnicodeToUtf8(stime));
    bytes.clear();
    LogWrite(g_logRun, "call qxFaxSend");
    const int rc = Invoke("qxFaxSend", kSendTimeoutSeconds, &WebServiceSoapProxy::qxFaxSend, req, resp);
    int outcome;
    if (rc != SOAP_OK) {
        LogWrite(g_logRun, Fmt("Error,qxFaxSend,nRet=%d", rc));
        ShowServiceError(ServiceTr("网络错误."));
        outcome = kResultNetworkFailure;
    } else {
        LogWrite(g_logRun, "qxFaxSend，webResult=" + LogText(resp.qxFaxSendResult));
        NoNumberIsNoAnswer(rc, resp.qxFaxSendResult, HoldsNumber(resp.qxFaxSendResult, kDecidingBytes));
        outcome = Accepted(resp.qxFaxSendResult) ? 0 : -1;
    }
    EndCall();
    return outcome;
}

int CWebServiceClient::CallAudioSend(const QString& title, const QString& mobile, const QString& soundFile,
                                     const QString& text, const QString& stime, const QString& srcNumber) {
    BeginCall();
    // Without a sound file the text alone is sent (the SMS composer's voice
    // follow-up): no attachment at all.
    std::string attachment;
    if (!soundFile.isEmpty()) {
        QByteArray bytes;
        switch (ReadLimited(soundFile, kVoiceMaxBytes, bytes)) {
        case ReadResult::NotOpened:
            LogWrite(g_logRun, "打开语音文件失败");
            ShowServiceError(ServiceTr("打开语音文件失败"));
            return kResultFileNotOpened;
        case ReadResult::TooLarge:
            ShowServiceError(ServiceTr("语音文件不能超过%1K.").arg(500));
            return kResultFileTooLarge;
        case ReadResult::Ok:
            break;
        }
        attachment = AttachmentText(soundFile, bytes);
    }
    _ns1__qxAudioSend req;
    _ns1__qxAudioSendResponse resp;
    req.sn = Dup(AccountSerialUtf8()), req.pwd = Dup(m_digest), req.title = Dup(UnicodeToUtf8(title));
    req.mobile = Dup(UnicodeToUtf8(mobile)), req.txt = Dup(UnicodeToUtf8(text)), req.content = Dup(attachment);
    req.srcnumber = Dup(UnicodeToUtf8(srcNumber)), req.stime = Dup(UnicodeToUtf8(stime));
    const ServiceSettings settings = CurrentServiceSettings();
    LogWrite(g_logRun, "call qxAudioSend,param.sn=" + m_sn + ",param.pwd=" + DigestForLog(m_digest) +
                           ",endpoint=" + m_endpoint + ",proxy_host=" + settings.proxyHost +
                           ",proxy_port=" + std::to_string(settings.proxyPort));
    const int rc = Invoke("qxAudioSend", kSendTimeoutSeconds, &WebServiceSoapProxy::qxAudioSend, req, resp);
    int outcome;
    if (rc != SOAP_OK) {
        LogWrite(g_logRun, Fmt("Error,qxAudioSend,nRet=%d", rc));
        ShowServiceError(ServiceTr("网络错误."));
        outcome = kResultNetworkFailure;
    } else {
        LogWrite(g_logRun, "qxAudioSend，webResult=" + LogText(resp.qxAudioSendResult));
        const bool holdsNumber = HoldsNumber(resp.qxAudioSendResult, static_cast<size_t>(-1));
        NoNumberIsNoAnswer(rc, resp.qxAudioSendResult, holdsNumber);
        outcome = holdsNumber ? ShowResultCode(resp.qxAudioSendResult) : -1;
    }
    EndCall();
    return outcome;
}

int CWebServiceClient::CallMmsSend(const std::vector<MMSCONTENT>& frames, const QString& title,
                                   const QString& mobile, const QString& stime) {
    BeginCall();
    const int limit = g_nMmsMaxSize;
    std::string content;
    qint64 total = 0;
    int frameNo = 0;
    for (const MMSCONTENT& frame : frames) {
        ++frameNo;
        struct Part {
            const QString& path;
            const char* kind;  // 2 picture, 3 sound
            const char* notOpened;
            const char* tooLarge;
        } parts[] = {{frame.picturePath, "2", "打开图片文件失败", "图片文件大小超过%1K"},
                     {frame.soundPath, "3", "打开声音文件失败", "声音文件大小超过%1K"}};
        for (const Part& part : parts) {
            if (part.path.isEmpty())
                continue;
            QByteArray bytes;
            switch (ReadLimited(part.path, limit, bytes)) {
            case ReadResult::NotOpened:
                LogWrite(g_logRun, part.notOpened);
                return kResultFileNotOpened;
            case ReadResult::TooLarge:
                ShowServiceError(ServiceTr(part.tooLarge).arg(limit / 1024));
                return kResultFileTooLarge;
            case ReadResult::Ok:
                break;
            }
            total += bytes.size();
            const QString name = QFileInfo(part.path).fileName();
            const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
            const std::string extension = dot >= 0 ? UnicodeToUtf8(name.mid(dot)) : std::string();
            content += std::to_string(frameNo) + "_" + part.kind + extension + "," +
                       Base64EncodeLines(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()))) +
                       ";";
        }
        if (!frame.text.isEmpty())
            content += std::to_string(frameNo) + "_1.txt," + Base64EncodeLines(UnicodeToUtf8(frame.text)) + ";";
    }
    if (total > limit) {
        ShowServiceError(ServiceTr("本条彩信超过%1K").arg(limit / 1024));
        return kResultFileTooLarge;
    }
    _ns1__qxMmsSend req;
    _ns1__qxMmsSendResponse resp;
    req.sn = Dup(m_sn), req.pwd = Dup(m_digest), req.title = Dup(UnicodeToUtf8(title));
    req.mobile = Dup(UnicodeToUtf8(mobile)), req.content = Dup(content), req.stime = Dup(UnicodeToUtf8(stime));
    content.clear();
    const ServiceSettings settings = CurrentServiceSettings();
    LogWrite(g_logRun, "call qxMmsSend,param.sn=" + m_sn + ",param.pwd=" + DigestForLog(m_digest) +
                           ",endpoint=" + m_endpoint + ",proxy_host=" + settings.proxyHost +
                           ",proxy_port=" + std::to_string(settings.proxyPort));
    const int rc = Invoke("qxMmsSend", kSendTimeoutSeconds, &WebServiceSoapProxy::qxMmsSend, req, resp);
    int outcome = -1;
    if (rc != SOAP_OK) {
        LogWrite(g_logRun, Fmt("Error,qxMmsSend,nRet=%d", rc));
    } else {
        LogWrite(g_logRun, "qxMmsSend，webResult=" + LogText(resp.qxMmsSendResult));
        NoNumberIsNoAnswer(rc, resp.qxMmsSendResult, HoldsNumber(resp.qxMmsSendResult, kDecidingBytes));
        outcome = Accepted(resp.qxMmsSendResult) ? 0 : -1;
    }
    EndCall();
    return outcome;
}
