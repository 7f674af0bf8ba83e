#pragma once

#include <QGroupBox>
#include <vector>

class GraphCheckBox;

// The "Items" box of the nutrient viewer: a tick box for each of the twelve series, kept in
// the settings.
class GraphPicker : public QGroupBox
{
    Q_OBJECT

public:
    explicit GraphPicker(QWidget* parent = nullptr);

    // The components of the ticked boxes (NutrientChart::ComponentFlags).
    int getComponents() const;
    void saveSettings() const;
    // Sets every box from its setting without reporting clicks.
    void loadSettings();
    // Ticks the boxes of `components` and no other, without reporting clicks.
    void setComponents(int components);
    GraphCheckBox* box(int component) const;

signals:
    void clicked();

private:
    struct Entry
    {
        int component;
        int setting;
        GraphCheckBox* box;
    };
    std::vector<Entry> _entries;
};
