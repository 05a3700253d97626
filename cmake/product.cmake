# The product's own constants, for every build of its sources (the product, the fuzz targets).

# The launcher's version block says what it is; the tools know a launcher, renamed or not, by
# exactly this description.
set(KAVELO2_LAUNCHER_DESCRIPTION "Kavelo2 display-mode launcher")
