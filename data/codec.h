#pragma once

#include "data/image.h"
#include "data/routerecord.h"

// Conversions between the route table and the route data of the image. None can fail: every
// byte pattern decodes to some route and every route encodes, losing bits beyond each field's
// width. Header, bytes 244..263, byte 21 of each block and descriptions are never touched.

// Route table -> current layout (index pairs 64..243, bytes 0..20 of blocks 264..2243).
void encodeRoutes(const RouteTable& routes, Image& img);
// Route n (1..90) alone: its index pair and block. An edit of one route changes no other
// route's bytes, even where the file held bits the table does not keep.
void encodeRoute(int n, const RouteRecord& route, Image& img);
// Current layout -> route table.
void decodeCurrent(const Image& img, RouteTable& routes);
// Older layouts: one 11-byte ("S2.0") or 12-byte ("S2.4") record per route from address 48.
// Fields those layouts do not carry keep their values.
void decodeS20(const Image& img, RouteTable& routes);
void decodeS24(const Image& img, RouteTable& routes);
