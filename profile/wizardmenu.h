#pragma once

#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

// The painted list of a wizard's sections: a logo on top, then one line per section, bold
// for the active one and grey for those that cannot be entered yet. A click on an enabled
// line reports its section; a click on a disabled one beeps.
class WizardMenu : public QWidget
{
    Q_OBJECT

public:
    struct Section
    {
        Section(int id, QString name);

        int id;
        QString name;
        bool enabled = false;
        QRect rect; // where the line was last painted
    };

    explicit WizardMenu(QWidget* parent);

    // False, changing nothing, when a section with the id exists; else appends it disabled.
    bool addSection(int id, const QString& name);
    void setImage(const QPixmap* image);

    int activeSection() const { return _active; }
    bool setActiveSection(int id);
    bool setSectionEnabled(int id, bool enabled);
    int sectionCount() const { return int(_sections.size()); }
    // The id at a menu position; -1 outside the menu.
    int sectionAtPosition(int position) const;
    // -1 for an id not in the menu.
    int sectionPosition(int id) const;
    // A null text for an id not in the menu.
    QString sectionName(int id) const;
    const Section* findSectionById(int id) const;

    QSize sizeHint() const override;

    // The wizard's beep; tests replace it (an empty handler restores the system beep).
    static void beep();
    static void setBeepHandler(std::function<void()> handler);

signals:
    void selected(const QString& name);
    void selected(int id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Section* _find(int id);
    QFont _itemFont(bool bold) const;
    // The logo scaled to the widget, keeping its aspect ratio.
    QPixmap _scaledImage() const;

    std::vector<Section> _sections;
    QPixmap _image;
    int _active = -1;
};
