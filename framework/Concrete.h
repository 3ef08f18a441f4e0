// Concrete strengths by grade (GB 50010): the material service behind the pile
// section check.
#pragma once

// Properties of one concrete grade, N/mm2. The field order is fixed: callers read
// fc as the second field and ftk as the seventh.
struct Con_Prop {
    float fcuk = 0; // cube strength, the grade number itself
    float fc = 0;   // design axial compressive strength
    float fck = 0;  // characteristic axial compressive strength
    float ft = 0;   // design axial tensile strength
    float Ec = 0;   // elastic modulus
    float Gc = 0;   // shear modulus, 0.4 Ec
    float ftk = 0;  // characteristic axial tensile strength
};

// The concrete grades and their strengths, N/mm2 (GB 50010 tables 4.1.3-1/-2,
// 4.1.4-1/-2 and 4.1.5): the one list every choice of a grade and every
// strength comes from.
struct ConcreteGrade {
    int grade;
    const char* name;
    float fc, fck, ft, ftk, Ec;
};
inline constexpr ConcreteGrade kConcreteGrades[] = {
    {15, "C15", 7.2f, 10.0f, 0.91f, 1.27f, 2.20e4f},  {20, "C20", 9.6f, 13.4f, 1.10f, 1.54f, 2.55e4f},
    {25, "C25", 11.9f, 16.7f, 1.27f, 1.78f, 2.80e4f}, {30, "C30", 14.3f, 20.1f, 1.43f, 2.01f, 3.00e4f},
    {35, "C35", 16.7f, 23.4f, 1.57f, 2.20f, 3.15e4f}, {40, "C40", 19.1f, 26.8f, 1.71f, 2.39f, 3.25e4f},
    {45, "C45", 21.1f, 29.6f, 1.80f, 2.51f, 3.35e4f}, {50, "C50", 23.1f, 32.4f, 1.89f, 2.64f, 3.45e4f},
    {55, "C55", 25.3f, 35.5f, 1.96f, 2.74f, 3.55e4f}, {60, "C60", 27.5f, 38.5f, 2.04f, 2.85f, 3.60e4f},
    {65, "C65", 29.7f, 41.5f, 2.09f, 2.93f, 3.65e4f}, {70, "C70", 31.8f, 44.5f, 2.14f, 2.99f, 3.70e4f},
    {75, "C75", 33.8f, 47.4f, 2.18f, 3.05f, 3.75e4f}, {80, "C80", 35.9f, 50.2f, 2.22f, 3.11f, 3.80e4f},
};

// The steel grades of the reinforcement: yield strength fy and modulus Es
// (N/mm2, GB 50010 4.2.3 and 4.2.5) and the relative depth xi_b of table
// 6.2.7 up to C50.
struct SteelGrade {
    int grade;
    const char* name;
    double fy, Es, xiB;
};
inline constexpr SteelGrade kSteelGrades[] = {{300, "HPB300", 270, 2.1e5, 0.576},
                                              {335, "HRB335", 300, 2.0e5, 0.550},
                                              {400, "HRB400", 360, 2.0e5, 0.518},
                                              {500, "HRB500", 435, 2.0e5, 0.482}};

// Fills *prop for concrete grade C<grade> and returns 1 when the grade is one of
// C15, C20, ..., C80.
// Any other grade from 15 up takes the values of the next lower tabulated grade
// (C32 is treated as C30, C85 as C80): the safe side for a strength. A grade below
// 15 gives all fields 0. Both return 0 so that a caller can tell.
int get_rc_property(int grade, Con_Prop* prop);
