// The product's name: the idle caption and the caption of its information boxes.
#ifndef KESTROVA_PRODUCT_NAME_H
#define KESTROVA_PRODUCT_NAME_H

inline constexpr char kProductName[] = "Kestrova";

#endif
