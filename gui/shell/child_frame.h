// CChildFrame: the workspace window: the tree and the settings view side by side in a
// splitter, with the window's own tool bar.
#pragma once

#include <QMainWindow>

#include <memory>

class CCvkApp;
class CCvkDoc;
class CCvkRightView;
class CWspTreeView;
class QSplitter;

class CChildFrame : public QMainWindow {
    Q_OBJECT
public:
    // The tree pane starts this wide, or as wide as its names up to the maximum.
    static constexpr int kTreeWidth = 200;
    static constexpr int kMaxTreeWidth = 360;

    CChildFrame(std::unique_ptr<CCvkDoc> doc, CCvkApp* app);
    ~CChildFrame() override;

    CCvkDoc* document() const { return doc_.get(); }
    CWspTreeView* treeView() const { return tree_; }
    CCvkRightView* rightView() const { return right_; }
    QSplitter* splitter() const { return splitter_; }
    QToolBar* frameToolBar() const { return toolBar_; }
    bool closing() const { return closing_; }

    // F6 and Shift+F6: the keyboard focus to the other pane.
    void SwitchPane();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateToolBar();
    void OnDocumentClosed();
    void FitTreePane();
    void ShowTitle();

    CCvkApp* app_;
    std::unique_ptr<CCvkDoc> doc_;
    QSplitter* splitter_ = nullptr;
    CWspTreeView* tree_ = nullptr;
    CCvkRightView* right_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    bool closing_ = false;
};
