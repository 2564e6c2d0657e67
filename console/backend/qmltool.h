#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

// Local file and process operations for the documents. One instance per process,
// handed to the QML engine as the singleton "QmlTool".
class QmlTool : public QObject
{
    Q_OBJECT
public:
    static QmlTool *instance();

    // The whole file decoded as UTF-8 with "\r\n" read as "\n", or the four letters
    // "null" when the file cannot be opened.
    Q_INVOKABLE QString readFile(const QString &filePath) const;

    // Replaces the file's content with `content` encoded as UTF-8 (the encoding
    // readFile expects), "\n" written as the platform's line end. False, with a
    // debug line naming the path, when the file cannot be opened or written.
    Q_INVOKABLE bool wirteFile(const QString &filePath, const QString &content) const;

    // The local path of a "file:" URL as Qt spells it for this system (percent
    // escapes decoded, "/tmp/x" here, "C:/x" on Windows); empty for other URLs.
    Q_INVOKABLE QString urlToLocalFile(const QUrl &url) const;
    // The "file:" URL of a path; a relative path is taken from the working directory.
    Q_INVOKABLE QUrl localFileToUrl(const QString &path) const;
    Q_INVOKABLE bool isFolder(const QString &path) const;

    // Opens an existing file with the desktop's default application; silent for a
    // missing file.
    Q_INVOKABLE void openFile(const QString &fileName) const;

    // Starts a program detached from the console and ends the console with exit
    // code 0. `pr` is a whole command line, split by QProcess::splitCommand
    // (blanks separate, double quotes group); the version check passes
    // "Renewer.exe " + url.
    //
    // The program is looked for beside the console: a relative program name is
    // resolved against QCoreApplication::applicationDirPath(), never against the
    // search path or the working directory; an absolute path is used as it is.
    // Off Windows a trailing ".exe" is dropped, so "Renewer.exe" starts the
    // "Renewer" built beside the console. The started program inherits the
    // console's working directory and environment.
    //
    // Returns only when the program could not be started (empty command line,
    // missing or unstartable program): it then logs the reason and returns false,
    // and the console keeps running. It never returns true.
    Q_INVOKABLE bool runExe(const QString &pr) const;

private:
    explicit QmlTool(QObject *parent = nullptr);
};
