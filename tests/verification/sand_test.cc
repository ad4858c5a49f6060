// sand
