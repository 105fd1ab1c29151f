<!DOCTYPE html>
<html>
<head>
<meta charset="utf-8">
<meta name="color-scheme" content="light dark">
<title>[[title]]</title>
<style>
  body {
    margin: 0;
    font-family: "Noto Sans", "DejaVu Sans", "Segoe UI", Verdana, sans-serif;
    font-size: 11pt;
    line-height: 150%;
    color: #1f2328;
    background-color: #ffffff;
  }
  .page { max-width: 46em; margin: 0 auto; padding: 14px 22px 28px 22px; }
  h1 { font-size: 16pt; font-weight: 600; line-height: 125%; margin: 0 0 4px 0; }
  h1 a { color: #1f2328; text-decoration: none; }
  .meta { font-size: 9pt; color: #59636e; margin: 0 0 18px 0; }
  .meta a { color: #0b62c4; }
  .content { margin-top: 12px; }
  .content img { max-width: 100%; }
  .content a { color: #0b62c4; }
  .content blockquote { margin: 8px 0; padding-left: 12px; border-left: 3px solid #d8dee4; color: #424a53; }
  .content pre, .content code { font-family: "DejaVu Sans Mono", Consolas, monospace; font-size: 10pt; }
  .footer { margin-top: 24px; font-size: 8pt; color: #8c959f; }
  @media (prefers-color-scheme: dark) {
    body { color: #e6edf3; background-color: #161b22; }
    h1 a { color: #e6edf3; }
    .meta { color: #9198a1; }
    .meta a, .content a { color: #58a6ff; }
    .content blockquote { border-left-color: #30363d; color: #b7bdc8; }
    .footer { color: #6e7681; }
  }
</style>
</head>
<body>
<div class="page">
<h1><a href="[[link]]">[[title]]</a></h1>
<p class="meta">[[date]] &middot; [[time]] &middot; <a href="[[link]]">Open original</a></p>
<div class="content">
[[desc]]
</div>
<p class="footer">Shown by [[app]]</p>
</div>
</body>
</html>
