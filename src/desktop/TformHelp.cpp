#include "TformHelp.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "StationIdentity.h"

#ifndef QUARZEL_SOURCE_DOCS
#define QUARZEL_SOURCE_DOCS ""
#endif

namespace {
constexpr qint64 kMaxManualBytes = 4 << 20;
}  // namespace

std::string FindManual() {
    const QString dir = QCoreApplication::applicationDirPath();
    const QString candidates[] = {
        dir + "/" + kManualFileName,
        dir + "/../share/doc/quarzel/" + kManualFileName,
        QString(QUARZEL_SOURCE_DOCS) + "/" + kManualFileName,
    };
    for (const QString& c : candidates)
        if (QFileInfo(c).isFile()) return QFileInfo(c).absoluteFilePath().toStdString();
    return {};
}

TformHelp::TformHelp(QWidget* parent) : QDialog(parent) {
    setObjectName("TformHelp");
    setWindowTitle("Help");
    text_ = new QTextBrowser(this);
    text_->setObjectName("memHelp");
    text_->setOpenExternalLinks(true);
    auto* close = new QPushButton("OK", this);
    close->setObjectName("btnOK");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(760, 600);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

bool TformHelp::Load(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxManualBytes) return false;
    text_->setSearchPaths({QFileInfo(file).absolutePath()});
    text_->setMarkdown(QString::fromUtf8(file.readAll()));
    return true;
}
