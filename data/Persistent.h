#pragma once

#include <typeinfo>

#include "data/Error.h"

// Base of the copyable data classes. Assign copies another object into this one, AssignTo
// copies this object into another; each subclass checks the other object's class first.
class TPersistent {
  public:
    virtual ~TPersistent() = default;

    virtual void AssignTo(TPersistent& dest) const {
        throw TError(std::string("Cannot assign a ") + typeid(*this).name() + " to a " +
                     typeid(dest).name());
    }
    virtual void Assign(const TPersistent& source) { source.AssignTo(*this); }

  protected:
    TPersistent() = default;
    TPersistent(const TPersistent&) = default;
    TPersistent& operator=(const TPersistent&) = default;
};
