// silt
