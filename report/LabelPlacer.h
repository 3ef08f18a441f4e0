// Labels placed clear of lines and of each other: every line a drawing wants
// kept free is recorded here, and each label goes to the first of its
// candidate places where its box crosses no such line and no label placed
// before it.
#pragma once

#include "Canvas.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

struct LabelBox {
    double x0, y0, x1, y1;
    bool Meets(const LabelBox& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
    bool Inside(const LabelBox& o) const { return x0 >= o.x0 && x1 <= o.x1 && y0 >= o.y0 && y1 <= o.y1; }
};

// True when the segment (x0, y0, x1, y1) passes through the box (clipped as a
// line is to a window).
bool SegmentCrosses(const double l[4], const LabelBox& b);

class LabelPlacer {
public:
    // lengthPerHeight: a text's length, in text heights, per unit of
    // TextMetrics::Length (1 where the height is the capitals' as in CAD,
    // 1 / kEm where a text of height h is set in a font of size h).
    LabelPlacer(CBase_SGT* c, double lengthPerHeight) : c_(c), lengthPerHeight_(lengthPerHeight) {}
    // Draws a line and keeps labels off it.
    void Line(double x0, double y0, double x1, double y1)
    {
        c_->Draw_Line(x0, y0, x1, y1, 1);
        Avoid(x0, y0, x1, y1);
    }
    // Keeps labels off a line drawn elsewhere.
    void Avoid(double x0, double y0, double x1, double y1) { lines_.push_back({x0, y0, x1, y1}); }
    // Labels stay inside the box (none: anywhere).
    void Within(const LabelBox& b) { within_ = b, bounded_ = true; }
    // What a text covers, its baseline at y, with a little room around it.
    LabelBox Covers(double x, double y, double h, const std::string& text) const
    {
        const double pad = 0.12 * h;
        return {x - pad, y - 0.25 * h - pad, x + Length(h, text) + pad, y + 0.9 * h + pad};
    }
    double Length(double h, const std::string& text) const { return TextMetrics::Length(text) * lengthPerHeight_ * h; }
    // How badly a box sits: outside its bounds counts most, then each label
    // it meets, then each line it crosses.
    int Conflicts(const LabelBox& b) const
    {
        int n = bounded_ && !b.Inside(within_) ? 1000 : 0;
        n += 10 * static_cast<int>(std::count_if(taken_.begin(), taken_.end(), [&b](const LabelBox& t) { return t.Meets(b); }));
        for (const auto& l : lines_)
            n += SegmentCrosses(l.data(), b);
        return n;
    }
    bool Free(const LabelBox& b) const { return Conflicts(b) == 0; }
    // Writes the text at the first free baseline of the candidates (where none
    // is free, the first of the least conflicts) and keeps the place; returns
    // the place.
    std::pair<double, double> Label(double h, const std::string& text, const std::vector<std::pair<double, double>>& at)
    {
        return Label(h, std::vector<std::string>{text}, at);
    }
    void Take(const LabelBox& b) { taken_.push_back(b); }
    // A label of several lines, each kLineStep heights below the one before;
    // at: the first line's baseline.
    static constexpr double kLineStep = 1.5;
    LabelBox Covers(double x, double y, double h, const std::vector<std::string>& lines) const
    {
        LabelBox b = Covers(x, y, h, lines.empty() ? std::string() : lines.front());
        for (size_t i = 1; i < lines.size(); ++i) {
            const LabelBox l = Covers(x, y - kLineStep * h * static_cast<double>(i), h, lines[i]);
            b = {std::min(b.x0, l.x0), std::min(b.y0, l.y0), std::max(b.x1, l.x1), std::max(b.y1, l.y1)};
        }
        return b;
    }
    double Length(double h, const std::vector<std::string>& lines) const
    {
        double w = 0;
        for (const std::string& l : lines)
            w = std::max(w, Length(h, l));
        return w;
    }
    std::pair<double, double> Label(double h, const std::vector<std::string>& lines,
                                    const std::vector<std::pair<double, double>>& at)
    {
        if (at.empty() || lines.empty())
            return {0, 0};
        std::pair<double, double> chosen = at.front();
        int least = -1;
        for (const auto& p : at) {
            const int n = Conflicts(Covers(p.first, p.second, h, lines));
            if (least < 0 || n < least) {
                least = n;
                chosen = p;
            }
            if (n == 0)
                break;
        }
        for (size_t i = 0; i < lines.size(); ++i)
            c_->Draw_Text(chosen.first, chosen.second - kLineStep * h * static_cast<double>(i), h, 0, lines[i].c_str());
        taken_.push_back(Covers(chosen.first, chosen.second, h, lines));
        return chosen;
    }

private:
    CBase_SGT* c_;
    double lengthPerHeight_;
    std::vector<std::array<double, 4>> lines_;
    std::vector<LabelBox> taken_;
    LabelBox within_{};
    bool bounded_ = false;
};
