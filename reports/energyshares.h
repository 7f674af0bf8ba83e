#pragma once

// The shares of the food energy that came from fat, protein and carbohydrate, in whole
// percent, as the breakdown pies and the daily summary both show them: fat and protein
// rounded half away from zero, carbohydrate the rest, so that the three add up to 100.
class EnergyShares
{
public:
    EnergyShares() = default;
    // From exact shares in percent that add up to 100, or are all 0 (no data).
    EnergyShares(double fat, double protein, double carbohydrate);

    int fat() const { return _fat; }
    int protein() const { return _protein; }
    int carbohydrate() const { return _carbohydrate; }
    bool isEmpty() const { return _fat == 0 && _protein == 0 && _carbohydrate == 0; }

private:
    int _fat = 0;
    int _protein = 0;
    int _carbohydrate = 0;
};
