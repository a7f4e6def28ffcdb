#pragma once

#include <QElapsedTimer>
#include <QPointer>

#include "platform/FileOperation.h"

class QProgressDialog;

// The engine's questions as message boxes, and a progress dialog that opens
// when the work takes longer than half a second and repaints at most every
// 50 ms, however many small files go by.
class RealFileOpDialogs : public FileOpDialogs {
public:
    ~RealFileOpDialogs() override;
    ReplaceAnswer AskReplace(const QByteArray& target, bool folder, bool moreToCome) override;
    bool AskDelete(const std::vector<QByteArray>& items, bool toTrash) override;
    bool AskCreateFolder(const QByteArray& folder) override;
    bool AskDeleteForGood(const QByteArray& item) override;
    void BeginProgress(int wFunc, qint64 totalBytes, qint64 totalItems) override;
    bool Progress(qint64 doneBytes, qint64 doneItems, const QByteArray& current) override;
    void EndProgress() override;
    ErrorAnswer ShowError(const QString& text, bool moreToCome) override;

private:
    QPointer<QProgressDialog> dialog_;
    QElapsedTimer sinceBegin_, sinceUpdate_;
    QString action_;
    qint64 totalBytes_ = 0, totalItems_ = 0;
};
