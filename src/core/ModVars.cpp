#include "ModVars.h"

#include "ParameterTable.h"

std::int32_t ParameterSet::value(Parameter p) const
{
    const ParameterField& field = parameterInfo(p).field;
    return field.narrow ? this->*field.narrow : this->*field.wide;
}

void ParameterSet::assign(Parameter p, std::int32_t v)
{
    const ParameterField& field = parameterInfo(p).field;
    if (field.narrow)
        this->*field.narrow = static_cast<std::int16_t>(v);
    else
        this->*field.wide = v;
}

bool isSixteenBit(Parameter p)
{
    return parameterInfo(p).field.narrow != nullptr;
}
