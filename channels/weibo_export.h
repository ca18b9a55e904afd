#pragma once
// The XML file of one microblog status and its comments (tinyxml2):
//
//   <?xml version="1.0"?>
//   <CSTALOG WEIBO="1" Attribute="2">
//     <WEIBO>
//       <CONTENT> USERNAME HEADPIC TEXT ATTACHEDPIC COMMENTSCOUNT REPOSTSCOUNT
//                 TIME SOURCE RETWEETEDID USERID LOCATION DISCRIPTION
//                 FOLLOWERSCOUNT FRIENDSCOUNT STATUSESCOUNT ISVIP </CONTENT>
//       <COMMENT> (NAME TEXT TIME) per comment </COMMENT>
//     </WEIBO>
//   </CSTALOG>
//
// USERID holds the status id (the record carries no user id); ISVIP the JSON
// text of "verified"; HEADPIC and ATTACHEDPIC the local paths of the
// downloaded avatar and picture (empty when the download failed). UTF-8.
#include "channels/weibo_client.h"

#include <QString>

#include <string>
#include <vector>

// The document as UTF-8 text.
std::string BuildWeiboXml(const WeiboRecord& status, const std::vector<WeiboRecord>& comments,
                          const QString& headPicPath, const QString& attachedPicPath);

// Writes `xml` to `filePath` through a temporary file in the same folder and a
// rename, so a failure leaves any earlier file as it was. False with
// `errorText` (the file and the reason) on failure.
bool SaveWeiboXml(const QString& filePath, const std::string& xml, QString& errorText);
