#pragma once
// Readers create objects from the class names stored in an image, so every
// class that can appear in one is registered by name at start-up.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TPersistent;
class TMyPersistent;

// What a class reference is: a name, a parent and a virtual
// constructor taking the owner.
struct TMetaClass {
  const char* Name;
  const TMetaClass* Parent;
  TPersistent* (*Factory)(TMyPersistent* AOwner);  // null for abstract classes

  bool InheritsFrom(const TMetaClass& Other) const;
  // Throws when the class cannot be instantiated.
  std::unique_ptr<TPersistent> Create(TMyPersistent* AOwner) const;
};

// Registering the same class twice is harmless; another class under a taken
// name (compared ignoring case) fails with "A class named %s already exists".
void RegisterClass(const TMetaClass& Class);
// Null when the name is not registered.
const TMetaClass* GetClass(std::string_view Name);
// Throws "Class %s not found".
const TMetaClass& FindClass(std::string_view Name);
// Every registered class, ordered by name: what checks over all classes walk.
std::vector<const TMetaClass*> RegisteredClasses();

// Creates a registered class that must be a TMyPersistent (list items).
std::unique_ptr<TMyPersistent> CreateMyPersistent(const TMetaClass& Class, TMyPersistent* AOwner);

// Registers the streaming base's own classes; safe to call more than once.
void RegisterStreamingClasses();

#define PLANDECK_DECLARE_CLASS(Cls)            \
public:                                        \
  static const TMetaClass& StaticClass();      \
  const TMetaClass& ClassType() const override;

#define PLANDECK_DEFINE_CLASS_EX(Cls, Base, FactoryExpr)                   \
  const TMetaClass& Cls::StaticClass() {                                   \
    static const TMetaClass meta{#Cls, &Base::StaticClass(), FactoryExpr}; \
    return meta;                                                           \
  }                                                                        \
  const TMetaClass& Cls::ClassType() const { return StaticClass(); }

#define PLANDECK_DEFINE_CLASS(Cls, Base) \
  PLANDECK_DEFINE_CLASS_EX(Cls, Base,    \
                           [](TMyPersistent* o) -> TPersistent* { return new Cls(o); })

#define PLANDECK_DEFINE_ABSTRACT_CLASS(Cls, Base) PLANDECK_DEFINE_CLASS_EX(Cls, Base, nullptr)
