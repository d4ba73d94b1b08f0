#pragma once

#include <QWidget>

class QLabel;
class ReadDataset;

// The "Clip information" page: the stored settings of the current clip, read-only, each in
// a framed box.
class ClipInformationPage : public QWidget {
    Q_OBJECT
public:
    explicit ClipInformationPage(QWidget* parent = nullptr);

    // Shows the clip under the cursor of the clip query; an empty query clears the page.
    void showClip(const ReadDataset& clips);

private:
    QList<std::pair<QString, QLabel*>> m_fields; // dataset column, its read-out
    QLabel* m_icon;
};
