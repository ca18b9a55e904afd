#include "channels/weibo_export.h"

#include <QSaveFile>

#include <tinyxml2.h>

namespace {

// XML 1.0 has no place for control characters other than tab and the line
// ends; a service text holding one would make the file unreadable.
QString XmlSafe(const QString& text) {
    QString safe;
    safe.reserve(text.size());
    for (QChar c : text)
        if (c.unicode() >= 0x20 || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            safe.append(c);
    return safe;
}

void AddText(tinyxml2::XMLElement* parent, const char* name, const QString& text) {
    tinyxml2::XMLElement* element = parent->InsertNewChildElement(name);
    element->SetText(XmlSafe(text).toUtf8().constData());
}

void AddNumber(tinyxml2::XMLElement* parent, const char* name, qint64 value) {
    AddText(parent, name, QString::number(value));
}

} // namespace

std::string BuildWeiboXml(const WeiboRecord& status, const std::vector<WeiboRecord>& comments,
                          const QString& headPicPath, const QString& attachedPicPath) {
    tinyxml2::XMLDocument doc;
    doc.InsertEndChild(doc.NewDeclaration("xml version=\"1.0\""));
    tinyxml2::XMLElement* root = doc.NewElement("CSTALOG");
    root->SetAttribute("WEIBO", "1");
    root->SetAttribute("Attribute", "2");
    doc.InsertEndChild(root);
    tinyxml2::XMLElement* weibo = root->InsertNewChildElement("WEIBO");

    tinyxml2::XMLElement* content = weibo->InsertNewChildElement("CONTENT");
    AddText(content, "USERNAME", status.userName);
    AddText(content, "HEADPIC", headPicPath);
    AddText(content, "TEXT", status.text);
    AddText(content, "ATTACHEDPIC", attachedPicPath);
    AddNumber(content, "COMMENTSCOUNT", status.commentsCount);
    AddNumber(content, "REPOSTSCOUNT", status.repostsCount);
    AddText(content, "TIME", status.createdAt);
    AddText(content, "SOURCE", status.source);
    AddNumber(content, "RETWEETEDID", status.retweetedId);
    AddNumber(content, "USERID", status.id); // the record carries no user id
    AddText(content, "LOCATION", status.location);
    AddText(content, "DISCRIPTION", status.description);
    AddNumber(content, "FOLLOWERSCOUNT", status.followersCount);
    AddNumber(content, "FRIENDSCOUNT", status.friendsCount);
    AddNumber(content, "STATUSESCOUNT", status.statusesCount);
    AddText(content, "ISVIP", status.verified);

    tinyxml2::XMLElement* list = weibo->InsertNewChildElement("COMMENT");
    for (const WeiboRecord& comment : comments) {
        AddText(list, "NAME", comment.userName);
        AddText(list, "TEXT", comment.text);
        AddText(list, "TIME", comment.createdAt);
    }

    tinyxml2::XMLPrinter printer;
    doc.Print(&printer);
    return std::string(printer.CStr(),
                       static_cast<size_t>(printer.CStrSize() > 0 ? printer.CStrSize() - 1 : 0));
}

bool SaveWeiboXml(const QString& filePath, const std::string& xml, QString& errorText) {
    errorText.clear();
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly)) {
        errorText = QStringLiteral("%1: %2").arg(filePath, file.errorString());
        return false;
    }
    const auto size = static_cast<qint64>(xml.size());
    if (file.write(xml.data(), size) != size || !file.commit()) {
        errorText = QStringLiteral("%1: %2").arg(filePath, file.errorString());
        file.cancelWriting();
        return false;
    }
    return true;
}
