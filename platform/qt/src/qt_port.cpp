#include "platform/qt_port.hpp"

#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <fstream>
#include <iterator>

#include "platform/text.hpp"

namespace platform {

QString qt_text(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

std::string utf8_of(const QString& text) {
    return text.toUtf8().toStdString();
}

QString qt_text_cp1252(const std::string& bytes) {
    return qt_text(cp1252_to_utf8(bytes));
}

namespace {

QMessageBox::StandardButtons standard_buttons(Buttons b) {
    switch (b) {
        case Buttons::ok:
            return QMessageBox::Ok;
        case Buttons::ok_cancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case Buttons::abort_retry_ignore:
            return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
        case Buttons::yes_no_cancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case Buttons::yes_no:
            return QMessageBox::Yes | QMessageBox::No;
        case Buttons::retry_cancel:
            return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon standard_icon(Icon i) {
    switch (i) {
        case Icon::none:
            return QMessageBox::NoIcon;
        case Icon::critical:
            return QMessageBox::Critical;
        case Icon::question:
            return QMessageBox::Question;
        case Icon::exclamation:
            return QMessageBox::Warning;
        case Icon::information:
            return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

Answer answer_of(int button) {
    switch (button) {
        case QMessageBox::Ok:
            return Answer::ok;
        case QMessageBox::Cancel:
            return Answer::cancel;
        case QMessageBox::Abort:
            return Answer::abort;
        case QMessageBox::Retry:
            return Answer::retry;
        case QMessageBox::Ignore:
            return Answer::ignore;
        case QMessageBox::Yes:
            return Answer::yes;
        case QMessageBox::No:
            return Answer::no;
    }
    return Answer::cancel;
}

}  // namespace

Answer QtPort::message(const std::string& text, const std::string& title, Buttons buttons,
                       Icon icon) {
    // A carriage return in a message starts a new line.
    QString body = qt_text(text);
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QChar('\r'), QChar('\n'));
    QMessageBox box(standard_icon(icon), qt_text(title), body, standard_buttons(buttons), parent_);
    box.setObjectName(QStringLiteral("mensaje"));
    int chosen = box.exec();
    // Closing the box without a button answers as its escape button would.
    if (chosen == 0 || chosen == -1) return buttons == Buttons::ok ? Answer::ok : Answer::cancel;
    return answer_of(chosen);
}

std::optional<std::filesystem::path> QtPort::pick_file(const FilePick& pick) {
    QFileDialog::Options options;
    QString filter =
        pick.filter == "*.*" ? QStringLiteral("Todos los archivos (*)") : qt_text(pick.filter);
    QString chosen = QFileDialog::getOpenFileName(
        parent_, qt_text(pick.title), QString::fromStdString(pick.start_folder.string()), filter,
        nullptr, options);
    if (chosen.isEmpty()) return std::nullopt;
    return std::filesystem::path(chosen.toStdString());
}

bool QtPort::show_text_file(const std::filesystem::path& file) {
    return show_text_viewer(parent_, file);
}

bool QtPort::open_document(const std::filesystem::path& file) {
    if (!QFileInfo::exists(QString::fromStdString(file.string()))) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file.string())));
}

bool show_text_viewer(QWidget* parent, const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("visor"));
    dialog.setWindowTitle(QString::fromStdString(file.filename().string()));
    dialog.setModal(true);
    auto* layout = new QVBoxLayout(&dialog);
    auto* text = new QPlainTextEdit(&dialog);
    text->setObjectName(QStringLiteral("texto"));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QString shown = qt_text_cp1252(bytes);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text->setPlainText(shown);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Cerrar"));
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    const int columns = 100;
    dialog.resize(text->fontMetrics().horizontalAdvance(QChar('M')) * columns + 60, 560);
    dialog.exec();
    return true;
}

}  // namespace platform
