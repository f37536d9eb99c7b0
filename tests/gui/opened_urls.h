#pragma once
#include <QList>
#include <QObject>
#include <QUrl>

namespace glimra {

// Stands in for the desktop's opener: remembers what the program asked it to open.
class TOpenedUrls : public QObject {
    Q_OBJECT
public:
    QList<QUrl> Urls;
public slots:
    void Open(const QUrl& url) { Urls.push_back(url); }
};

} // namespace glimra
