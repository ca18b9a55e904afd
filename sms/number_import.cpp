#include "sms/number_import.h"

#include "core/log.h"

#include <QFile>

#include <cerrno>

NumberFileImport::NumberFileImport(VIRTUAL_LIST& list, const QString& path)
    : m_list(list), m_scanner([this](std::string_view digits) {
          const NumberAcceptance accepted = AcceptNumber(digits);
          if (accepted.check != NumberCheck::Accepted) {
              m_result.counts.Count(AddNumberResult::Refused);
              return;
          }
          m_result.counts.Count(AddRecipientKey(m_list, accepted.key, QString()));
      }) {
    m_file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!m_file) {
        LogWrite(g_logRun, "ERROR,导入文本号码 打开文件失败: " + LogEscape(path));
        m_done = true;
        return;
    }
    m_result.opened = true;
    if (std::fseek(m_file, 0, SEEK_END) == 0) {
        const long size = std::ftell(m_file);
        m_bytesTotal = size > 0 ? size : 0;
    }
    std::rewind(m_file);
    m_block = std::make_unique<char[]>(static_cast<size_t>(kNumberImportBlock));
}

NumberFileImport::~NumberFileImport() {
    if (m_file)
        std::fclose(m_file);
}

bool NumberFileImport::IsOpen() const {
    return m_result.opened;
}

bool NumberFileImport::Step(int blocks) {
    for (int b = 0; b < blocks && !m_done; ++b) {
        const size_t got = std::fread(m_block.get(), 1, static_cast<size_t>(kNumberImportBlock), m_file);
        if (got > 0) {
            m_scanner.Feed(m_block.get(), got);
            m_bytesDone += static_cast<qint64>(got);
        }
        if (got < static_cast<size_t>(kNumberImportBlock)) {
            if (std::ferror(m_file)) {
                m_result.readFailed = true;
                // Nothing readable at all (a folder, say) is a file that
                // could not be opened.
                if (m_bytesDone == 0)
                    m_result.opened = false;
                LogWrite(g_logRun, "ERROR,导入文本号码 读文件出错");
            }
            m_scanner.Finish();
            m_done = true;
        }
    }
    if (m_done && m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    return !m_done;
}

void NumberFileImport::Cancel() {
    if (m_done)
        return;
    m_result.cancelled = true;
    m_done = true;
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
}

NumberImportResult NumberFileImport::Result() const {
    NumberImportResult result = m_result;
    result.tooLong = m_scanner.TooLong();
    return result;
}

NumberImportResult ImportNumberFile(VIRTUAL_LIST& list, const QString& path, const ImportProgress& progress) {
    NumberFileImport import(list, path);
    while (import.Step()) {
        if (progress && !progress(import.BytesDone(), import.BytesTotal()))
            import.Cancel();
    }
    if (progress && !import.Result().cancelled && import.IsOpen())
        progress(import.BytesDone(), import.BytesTotal());
    return import.Result();
}
