#pragma once

class QAbstractItemView;

// Shows the view's rows to screen readers: the view is a list (a table when
// its model has more than one column) whose children are its rows, read
// from the model when asked. Nothing is made per row in advance: the few
// rows a reader asks for get an interface each, dropped when the model
// changes or too many have gathered, so a list of millions costs what a
// short one does. The view's name is its accessibleName().
//
// Call before the view is first shown: an interface made earlier is kept.
void exposeRowsToAccessibility(QAbstractItemView *view);
