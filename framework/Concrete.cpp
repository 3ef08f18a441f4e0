#include "Concrete.h"


int get_rc_property(int grade, Con_Prop* prop)
{
    if (!prop)
        return 0;
    *prop = Con_Prop{};
    const ConcreteGrade* found = nullptr;
    for (const ConcreteGrade& r : kConcreteGrades)
        if (r.grade <= grade)
            found = &r;
    if (!found)
        return 0;
    prop->fcuk = static_cast<float>(found->grade);
    prop->fc = found->fc;
    prop->fck = found->fck;
    prop->ft = found->ft;
    prop->Ec = found->Ec;
    prop->Gc = 0.4f * found->Ec;
    prop->ftk = found->ftk;
    return found->grade == grade ? 1 : 0;
}
