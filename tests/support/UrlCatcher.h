#pragma once

#include <QDesktopServices>
#include <QObject>
#include <QUrl>

// Takes the addresses the program hands to the desktop for one URL scheme while it lives, so
// tests see them and nothing is launched.
class TUrlCatcher : public QObject
{
    Q_OBJECT

public:
    explicit TUrlCatcher(const QString& scheme) : m_scheme(scheme)
    {
        QDesktopServices::setUrlHandler(m_scheme, this, "Open");
    }
    ~TUrlCatcher() override { QDesktopServices::unsetUrlHandler(m_scheme); }

    QList<QUrl> Urls;

public slots:
    void Open(const QUrl& url) { Urls << url; }

private:
    QString m_scheme;
};
