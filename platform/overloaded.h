#ifndef TIMETABLE_PLATFORM_OVERLOADED_H_
#define TIMETABLE_PLATFORM_OVERLOADED_H_

// Lets std::visit take one lambda for each alternative of a variant.
template <class... Cases>
struct Overloaded : Cases... {
  using Cases::operator()...;
};
template <class... Cases>
Overloaded(Cases...) -> Overloaded<Cases...>;

#endif  // TIMETABLE_PLATFORM_OVERLOADED_H_
