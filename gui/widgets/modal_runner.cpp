#include "gui/widgets/modal_runner.h"

#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>

#include <algorithm>
#include <deque>
#include <vector>

namespace {
ModalRunner& Runner() {
    static ModalRunner runner;
    return runner;
}
std::vector<QPointer<QDialog>>& Running() {
    static std::vector<QPointer<QDialog>> running;
    return running;
}
std::deque<QString>& NextNames() {
    static std::deque<QString> names;
    return names;
}
QString& LastProposed() {
    static QString proposed;
    return proposed;
}

bool TakeNextName(QString& name) {
    auto& names = NextNames();
    if (names.empty())
        return false;
    name = names.front();
    names.pop_front();
    return true;
}
} // namespace

int RunModal(QDialog& dialog) {
    Running().emplace_back(&dialog);
    const int result = Runner() ? Runner()(dialog) : dialog.exec();
    Running().pop_back();
    return result;
}

int RunWizardStep(QDialog& caller, QDialog& step, std::initializer_list<int> endResults) {
    const bool wasVisible = caller.isVisible();
    // QDialog's own hide would end its modal loop: the base class's does not.
    if (wasVisible)
        caller.QWidget::setVisible(false);
    const int result = RunModal(step);
    const bool end = std::find(endResults.begin(), endResults.end(), result) != endResults.end();
    if (end) {
        if (wasVisible) {
            // done() ends a modal loop only by hiding a shown dialog; this
            // show puts nothing on the screen.
            caller.setAttribute(Qt::WA_DontShowOnScreen, true);
            caller.show();
        }
        caller.done(result);
        caller.setAttribute(Qt::WA_DontShowOnScreen, false);
    } else if (wasVisible) {
        caller.show();
    }
    return result;
}

ModalRunner SetModalRunner(ModalRunner runner) {
    ModalRunner previous = std::move(Runner());
    Runner() = std::move(runner);
    return previous;
}

QDialog* CurrentModalDialog() {
    auto& running = Running();
    for (auto it = running.rbegin(); it != running.rend(); ++it)
        if (*it)
            return it->data();
    return nullptr;
}

QString QtFileFilter(const QString& pipeFilter) {
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString name = parts[i].trimmed();
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        if (name.isEmpty() || patterns.isEmpty())
            continue;
        for (QString& p : patterns)
            p = p.trimmed();
        filters << name + QLatin1String(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters.join(QLatin1String(";;"));
}

QString ChooseOpenFile(QWidget* parent, const QString& filter, const QString& caption) {
    LastProposed().clear();
    QString name;
    if (TakeNextName(name))
        return name;
    return QFileDialog::getOpenFileName(parent, caption, QString(), QtFileFilter(filter));
}

QStringList ChooseOpenFiles(QWidget* parent, const QString& filter, const QString& caption) {
    LastProposed().clear();
    QString names;
    if (TakeNextName(names))
        return names.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return QFileDialog::getOpenFileNames(parent, caption, QString(), QtFileFilter(filter));
}

QString ChooseSaveFile(QWidget* parent, const QString& filter, const QString& proposedName,
                       const QString& defaultSuffix, const QString& caption) {
    LastProposed() = proposedName;
    QString name;
    if (!TakeNextName(name)) {
        QFileDialog dialog(parent, caption, proposedName, QtFileFilter(filter));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setDefaultSuffix(defaultSuffix);
        if (RunModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().front();
    }
    if (!name.isEmpty() && !defaultSuffix.isEmpty() && QFileInfo(name).suffix().isEmpty())
        name += QLatin1Char('.') + defaultSuffix;
    return name;
}

void SetNextFileName(std::optional<QString> name) {
    if (!name) {
        NextNames().clear();
        return;
    }
    NextNames().push_back(*name);
}

QString LastProposedFileName() { return LastProposed(); }
