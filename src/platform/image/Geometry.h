#pragma once
// Plain geometry in doubles, as the region rectangles and transforms use it.
// Any thread; value types.

#include <algorithm>
#include <cmath>

struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0;
    double height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    double minX() const { return x; }
    double minY() const { return y; }
    double maxX() const { return x + width; }
    double maxY() const { return y + height; }
    double midX() const { return x + width / 2; }
    double midY() const { return y + height / 2; }
    bool isEmpty() const { return !(width > 0) || !(height > 0); }
    Rect intersection(const Rect& o) const {
        double x0 = std::max(x, o.x), y0 = std::max(y, o.y);
        double x1 = std::min(maxX(), o.maxX()), y1 = std::min(maxY(), o.maxY());
        if (x1 <= x0 || y1 <= y0) return {};
        return {x0, y0, x1 - x0, y1 - y0};
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Affine map (x, y) -> (a·x + c·y + tx, b·x + d·y + ty), the layout of a display matrix.
struct AffineTransform {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    static AffineTransform identity() { return {}; }
    static AffineTransform scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
    static AffineTransform translation(double x, double y) { return {1, 0, 0, 1, x, y}; }

    Point apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }
    // A size is a vector: the translation does not apply.
    Size apply(Size s) const { return {a * s.width + c * s.height, b * s.width + d * s.height}; }
    // This transform followed by `next`.
    AffineTransform then(const AffineTransform& n) const {
        return {a * n.a + b * n.c,         a * n.b + b * n.d,         c * n.a + d * n.c,
                c * n.b + d * n.d,         tx * n.a + ty * n.c + n.tx, tx * n.b + ty * n.d + n.ty};
    }
    friend bool operator==(const AffineTransform&, const AffineTransform&) = default;
};
