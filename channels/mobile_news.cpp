#include "channels/mobile_news.h"

QStringList SplitNewsFrames(const QString& text) {
    QString rest = text.trimmed();
    rest.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QStringList frames;
    if (rest.isEmpty())
        return frames;
    // Split by lines rather than by "\n**\n" in the text: two separator
    // lines in a row share their line feed, and a plain text search would
    // miss the second one and put "**" into the next frame's text.
    const QStringList lines = rest.split(QLatin1Char('\n'));
    QStringList current;
    bool open = false; // the current frame has begun (it may still be empty)
    for (const QString& line : lines) {
        if (line == QLatin1String("**")) {
            frames << current.join(QLatin1Char('\n'));
            current.clear();
            open = false;
            continue;
        }
        current << line;
        open = true;
    }
    if (open)
        frames << current.join(QLatin1Char('\n'));
    return frames;
}
