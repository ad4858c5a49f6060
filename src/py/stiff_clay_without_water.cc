// stiff_clay_without_water
