#pragma once
// The help viewer: a window over the program's help file, an HTML page whose
// topics are anchors named by their ids.

#include <QString>
#include <QWidget>

class QTextBrowser;

class OHelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit OHelpWindow(QString helpFile, QWidget* parent = nullptr);

    // Each returns false, showing nothing, when the help file cannot be read.
    bool ShowContents();
    bool ShowHelpOnHelp();
    bool ShowTopic(int id);
    void Quit();

    // The anchor of the topic shown last ("" for the contents).
    QString CurrentTopic() const { return topic; }
    QTextBrowser* Browser() const { return browser; }

    // Anchor names of the topics the help file holds for commands and dialogs.
    static QString TopicAnchor(int id);
    static constexpr const char* ContentsAnchor = "contents";
    static constexpr const char* HelpOnHelpAnchor = "helponhelp";

private:
    bool show(const QString& anchor);
    void placeOnScreen();

    QString helpFile;
    QTextBrowser* browser;
    QString topic;
};
