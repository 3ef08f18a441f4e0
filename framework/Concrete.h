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

// Fills *prop for concrete grade C<grade> and returns 1 when the grade is one of
// C15, C20, ..., C80.
// Any other grade from 15 up takes the values of the next lower tabulated grade
// (C32 is treated as C30, C85 as C80): the safe side for a strength. A grade below
// 15 gives all fields 0. Both return 0 so that a caller can tell.
int get_rc_property(int grade, Con_Prop* prop);
