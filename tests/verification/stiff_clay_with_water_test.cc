// stiff_clay_with_water
